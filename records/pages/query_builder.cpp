#include "records/pages/query_builder.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "records/pages/date_text_parser.h"
#include "records/pages/kind_description.h"

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, n);
    std::string out(n + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.resize(n);
    return out;
}

long LeadingLong(const std::string& s) {
    return std::strtol(s.c_str(), nullptr, 10);
}

int LeadingInt(const std::string& s) {
    const long v = LeadingLong(s);
    return v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : static_cast<int>(v));
}

// The condition on one field for a non-empty content; empty sql with an outcome when the
// content is rejected.
BuiltQuery FieldCondition(const KindDescription& kind, int field, const std::string& content) {
    const char* table = kind.table.name;
    const char* name = kind.FieldName(field);
    BuiltQuery q;
    switch (kind.Rule(field).match) {
        case MatchForm::DateRange: {
            DateRange range;
            if (!DateRangeFromText(content, &range)) return {QueryOutcome::Rejected, {}};
            q.sql = Format("SELECT * FROM %s WHERE %s >=%ld AND %s<=%ld", table, name, range.from,
                           name, range.to);
            break;
        }
        case MatchForm::Positive:
        case MatchForm::NonNegative: {
            const long n = LeadingLong(content);
            const long lowest = kind.Rule(field).match == MatchForm::Positive ? 1 : 0;
            if (n < lowest) return {QueryOutcome::RejectedNumber, {}};
            q.sql = Format("SELECT * FROM %s WHERE %s=%ld", table, name, n);
            break;
        }
        case MatchForm::Percent: {
            const int n = LeadingInt(content);
            if (n < 1 || n > 100) return {QueryOutcome::RejectedNumber, {}};
            q.sql = Format("SELECT * FROM %s WHERE %s=%d", table, name, n);
            break;
        }
        case MatchForm::SuccessRate: {
            const long step = (100L - LeadingInt(content)) / 5;
            q.sql = Format("SELECT * FROM %s WHERE %s=%d", table, name, static_cast<int>(step));
            break;
        }
        case MatchForm::YesNo:
            if (content == "是")
                q.sql = Format("SELECT * FROM %s WHERE %s=1", table, name);
            else
                q.sql = Format("SELECT * FROM %s WHERE (%s=0 OR %s IS NULL)", table, name, name);
            break;
        case MatchForm::Like:
            q.sql = Format("SELECT * FROM %s WHERE %s LIKE ", table, name) + "'%" +
                    QuoteSqlText(content) + "%'";
            break;
    }
    return q;
}

}  // namespace

std::string QuoteSqlText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

std::string InitialQuery(const KindDescription& kind, long clientKey) {
    return Format("SELECT * FROM %s WHERE %s=%ld", kind.table.name, "ObjectDateTime",
                  clientKey < 1 ? 0L : clientKey);
}

BuiltQuery BuildQuery(const KindDescription& kind, const QueryInput& input,
                      const ContactChoice& contacts) {
    const std::string content = CDateTextParser::Trim(input.content);
    BuiltQuery q;
    bool hasWhere = false;
    if (content.empty()) {
        q.sql = Format("SELECT * FROM %s", kind.table.name);
    } else {
        // Without a chosen field there is nothing to match the content against.
        if (input.condIndex < 0 || input.condIndex >= kind.ColumnCount())
            return {QueryOutcome::Rejected, {}};
        q = FieldCondition(kind, input.condIndex, content);
        if (q.outcome != QueryOutcome::Load) return q;
        hasWhere = true;
    }
    if (input.contactEnabled && !input.contact.empty()) {
        if (kind.contactGroup)
            AddContactCondition(contacts, q.sql, hasWhere, input.contact, input.contactKey);
        else
            AddSingleContactCondition(q.sql, hasWhere, input.contact, input.contactKey);
    }
    return q;
}

void AddContactCondition(const ContactChoice& contacts, std::string& sql, bool hasWhere,
                         const std::string& contact, long contactKey) {
    if (contact != kAllContacts) {
        AddSingleContactCondition(sql, hasWhere, contact, contactKey);
        return;
    }
    const size_t n = contacts.entries.size();
    if (n <= 1) return;
    // Over the handed-over list "全部" is every client, unless the host's last pick holds at
    // least as many keys as the combo holds entries ("全部" included).
    if (!contacts.pickedGroup && n > contacts.pickedKeyCount) return;
    bool first = true;
    for (size_t i = 0; i < n; ++i) {
        const std::string& entry = contacts.entries[i];
        if (entry == kAllContacts) continue;
        const long key = i < contacts.entryKeys.size() ? contacts.entryKeys[i] : 0;
        if (key < 1 && !contacts.pickedGroup) continue;
        sql += first ? (hasWhere ? " AND (" : " WHERE ") : " OR ";
        if (key > 0)
            sql += Format(" ObjectDateTime=%ld ", key);
        else
            sql += " ClientName='" + QuoteSqlText(entry) + "' ";
        first = false;
    }
    if (!first && hasWhere) sql += ")";
}

void AddSingleContactCondition(std::string& sql, bool hasWhere, const std::string& contact,
                               long contactKey) {
    if (contact == kAllContacts) return;
    sql += hasWhere ? " AND " : " WHERE ";
    if (contactKey > 0)
        sql += Format(" ObjectDateTime=%ld", contactKey);
    else
        sql += " ClientName='" + QuoteSqlText(contact) + "'";
}
