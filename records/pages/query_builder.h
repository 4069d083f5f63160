// Turns the query bar into the SQL text a page loads: the field condition of the typed
// content and the contact condition. Text typed by the user stands between single quotes
// with every apostrophe doubled.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct KindDescription;

// The contact combo as the query sees it.
struct ContactChoice {
    std::vector<std::string> entries;  // the combo's entry texts, in order
    size_t pickedKeyCount = 0;         // entries in the host's last pick (g_pickedKeys)
    std::function<long(const std::string&)> clientKey;  // name -> key, 0 = unknown
};

// The values taken from the query bar.
struct QueryInput {
    int condIndex = -1;   // field combo selection
    std::string content;  // the content edit's or the content combo's text
    std::string contact;  // the contact combo's text
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

// Appends the contact restriction: for "全部" the keys of the picked group (while the combo
// holds no more names than the pick has keys), for any other text that client by key or,
// unknown, by name.
void AddContactCondition(const ContactChoice& contacts, std::string& sql, bool hasWhere,
                         const std::string& contact);
// The same for one contact only; "全部" adds nothing.
void AddSingleContactCondition(const ContactChoice& contacts, std::string& sql, bool hasWhere,
                               const std::string& contact);
