// Turns the query bar into the SQL text a page loads: the field condition of the typed
// content and the contact condition. Text typed by the user stands between single quotes
// with every apostrophe doubled.
#pragma once

#include <string>
#include <vector>

struct KindDescription;

// The contact combo as the query sees it.
struct ContactChoice {
    std::vector<std::string> entries;  // the combo's entry texts, in order
    std::vector<long> entryKeys;       // the client key of each entry, 0 = none known
    size_t pickedKeyCount = 0;         // entries in the host's last pick (g_pickedKeys)
    bool pickedGroup = false;          // the entries are a group the host picked
};

// The values taken from the query bar.
struct QueryInput {
    int condIndex = -1;   // field combo selection
    std::string content;  // the content edit's or the content combo's text
    std::string contact;  // the contact combo's text
    long contactKey = 0;  // the key of the client it names, 0 = unknown (matched by name)
    bool contactEnabled = true;
};

enum class QueryOutcome {
    Load,            // sql is the query to load
    Rejected,        // no date the parser reads, or no field chosen: nothing happens
    RejectedNumber,  // the content is not an accepted number: no load
};

struct BuiltQuery {
    QueryOutcome outcome = QueryOutcome::Load;
    std::string sql;
};

// text with every ' doubled, for use between single quotes.
std::string QuoteSqlText(const std::string& text);

// The query of a page's first load: the records of one client.
std::string InitialQuery(const KindDescription& kind, long clientKey);

BuiltQuery BuildQuery(const KindDescription& kind, const QueryInput& input,
                      const ContactChoice& contacts);

// Appends the contact restriction: for "全部" after a group pick every client of the group
// (by key, or by name for a client without one); for "全部" over other entries their keys
// while the combo holds no more entries than the host's last pick has keys, else nothing;
// for any other text that client by key or, unknown, by name.
void AddContactCondition(const ContactChoice& contacts, std::string& sql, bool hasWhere,
                         const std::string& contact, long contactKey);
// The same for one contact only; "全部" adds nothing.
void AddSingleContactCondition(std::string& sql, bool hasWhere, const std::string& contact,
                               long contactKey);
