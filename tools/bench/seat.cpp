#include "tools/bench/seat.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/message_box.h"

namespace {

// Parts of the module's messages that tell a refused conflict and a save whose outcome is
// unknown from other failures.
const char kConflictText[] = "已被其他用户修改";
const char kMaybeSavedText[] = "可能已经保存";

thread_local std::vector<std::string> t_messages;

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

void SeatTally::Add(const SeatTally& other) {
    ops += other.ops;
    conflicts += other.conflicts;
    lost += other.lost;
    wrongRows += other.wrongRows;
    for (const auto& [reason, count] : other.failures) failures[reason] += count;
    for (int k = 0; k < kSharedRecords; ++k) {
        increments[k] += other.increments[k];
        unsureIncrements[k] += other.unsureIncrements[k];
    }
}

std::string SeatTally::Text() const {
    std::ostringstream out;
    out << "ops " << ops << "\nconflicts " << conflicts << "\nlost " << lost << "\nwrong "
        << wrongRows << "\n";
    for (int k = 0; k < kSharedRecords; ++k)
        out << "shared " << k << " " << increments[k] << " " << unsureIncrements[k] << "\n";
    for (const auto& [reason, count] : failures) out << "fail " << count << " " << reason << "\n";
    return out.str();
}

void SeatTally::AddText(const std::string& text) {
    SeatTally one;
    std::istringstream in(text);
    std::string key;
    while (in >> key) {
        if (key == "ops") {
            in >> one.ops;
        } else if (key == "conflicts") {
            in >> one.conflicts;
        } else if (key == "lost") {
            in >> one.lost;
        } else if (key == "wrong") {
            in >> one.wrongRows;
        } else if (key == "shared") {
            int k = 0;
            long done = 0, unsure = 0;
            in >> k >> done >> unsure;
            if (k >= 0 && k < kSharedRecords) {
                one.increments[k] = done;
                one.unsureIncrements[k] = unsure;
            }
        } else if (key == "fail") {
            long count = 0;
            std::string reason;
            in >> count;
            std::getline(in >> std::ws, reason);
            one.failures[reason] += count;
        }
    }
    Add(one);
}

void CaptureSeatMessages() {
    SetMessageHandler([](const MessageInfo& info) {
        std::string text = info.text;
        for (char& c : text)
            if (c == '\n' || c == '\r') c = ' ';
        t_messages.push_back(std::move(text));
        return IDOK;
    });
}

bool Seat::Connect() {
    t_messages.clear();
    if (m_connection.ConnectDatabase(m_location) &&
        m_rst.InitConnAndRec(m_connection.GetConnection(), "ConsumeTable"))
        return true;
    Failed("connect");
    return false;
}

void Seat::Work(std::chrono::steady_clock::time_point until) {
    while (std::chrono::steady_clock::now() < until) {
        t_messages.clear();
        ++m_tally.ops;
        const unsigned choice = m_rng() % 100;
        if (choice < 25)
            LoadList("", 0);
        else if (choice < 45)
            LoadList("", static_cast<char>('0' + m_rng() % 10));
        else if (choice < 65)
            m_saved.size() < 30 ? Insert() : DeleteOwn();
        else if (choice < 75)
            EditOwn();
        else if (choice < 90)
            EditShared();
        else
            DeleteOwn();
    }
}

std::string Seat::OwnQuery(const std::string& condition) const {
    return "SELECT * FROM ConsumeTable WHERE ObjectDateTime=" + std::to_string(Client()) +
           condition;
}

// Every own record (lastDigit 0) or those whose name ends with lastDigit; each row must be
// one the seat saved, with the amount it saved, and none may be missing.
void Seat::LoadList(const std::string& condition, char lastDigit) {
    std::string filter = condition;
    if (lastDigit) filter += std::string(" AND ConsumeName LIKE '%") + lastDigit + "'";
    int has = m_rst.OpenRecord(OwnQuery(filter));
    std::set<std::string> seen;
    long wrong = 0;
    while (has && t_messages.empty()) {
        std::string name;
        long client = 0;
        float amount = 0;
        m_rst.GetValue("ConsumeName", name);
        m_rst.GetValueL("ObjectDateTime", client);
        m_rst.GetValueF("ConsumeMoney", amount);
        auto saved = m_saved.find(name);
        if (client != Client() || !seen.insert(name).second)
            ++wrong;
        else if (!m_unsure.count(name) &&
                 (saved == m_saved.end() || static_cast<float>(saved->second) != amount))
            ++wrong;
        has = m_rst.OnMoveNext();
    }
    if (!t_messages.empty()) {
        Failed(lastDigit ? "query" : "load");
        return;
    }
    for (const auto& [name, amount] : m_saved)
        if ((!lastDigit || name.back() == lastDigit) && !seen.count(name) && !m_unsure.count(name))
            ++wrong;
    m_tally.wrongRows += wrong;
}

void Seat::Insert() {
    const long amount = m_next++;
    const std::string name = "S" + std::to_string(m_id) + "-" + std::to_string(amount);
    m_rst.AddRecord();
    m_rst.AddRecord("ConsumeName", name.c_str());
    m_rst.AddRecord("ConsumeType", "soak");
    m_rst.AddRecord("ObjectDateTime", Client());
    m_rst.AddRecord("ConsumeMoney", static_cast<float>(amount));
    if (m_rst.UpdateRecord() && t_messages.empty())
        m_saved[name] = amount;
    else if (Failed("insert"))
        m_unsure.insert(name);
}

std::string Seat::PickSaved() {
    std::vector<const std::string*> sure;
    for (const auto& entry : m_saved)
        if (!m_unsure.count(entry.first)) sure.push_back(&entry.first);
    return sure.empty() ? std::string() : *sure[m_rng() % sure.size()];
}

// The own record name becomes current; a saved record that is gone counts as lost.
bool Seat::OpenOwn(const std::string& name) {
    if (m_rst.OpenRecord(OwnQuery(" AND ConsumeName='" + name + "'")) && t_messages.empty())
        return true;
    if (!t_messages.empty()) {
        Failed("open");
    } else {
        ++m_tally.lost;
        m_saved.erase(name);
    }
    return false;
}

void Seat::EditOwn() {
    const std::string name = PickSaved();
    if (name.empty()) return Insert();
    if (!OpenOwn(name)) return;
    const long amount = m_next++;
    m_rst.AddRecord("ConsumeMoney", static_cast<float>(amount));
    if (m_rst.UpdateRecord() && t_messages.empty())
        m_saved[name] = amount;
    else if (Failed("edit"))
        m_unsure.insert(name);
}

void Seat::DeleteOwn() {
    const std::string name = PickSaved();
    if (name.empty()) return Insert();
    if (!OpenOwn(name)) return;
    if (m_rst.DeleteRecord() && t_messages.empty())
        m_saved.erase(name);
    else if (Failed("delete"))
        m_unsure.insert(name);
}

// Adds 1 to the amount of a shared record, written only over the values it was read with.
// Each save also signs the record with a mark of its own: a save that finds the values it
// writes already there passes, so two seats adding 1 to the same amount would both pass.
void Seat::EditShared() {
    const int k = static_cast<int>(m_rng() % kSharedRecords);
    const std::string sql =
        "SELECT * FROM ConsumeTable WHERE ObjectDateTime=" + std::to_string(kSharedClient) +
        " AND ConsumeName='shared " + std::to_string(k) + "'";
    if (!m_rst.OpenRecord(sql) || !t_messages.empty()) {
        if (t_messages.empty())
            ++m_tally.wrongRows;
        else
            Failed("open shared");
        return;
    }
    float amount = 0;
    m_rst.GetValueF("ConsumeMoney", amount);
    m_rst.AddRecord("ConsumeMoney", amount + 1.0f);
    const std::string mark = "S" + std::to_string(m_id) + "-" + std::to_string(m_next++);
    m_rst.AddRecord("ConsumeType", mark.c_str());
    if (m_rst.UpdateRecord() && t_messages.empty())
        ++m_tally.increments[k];
    else if (Failed("edit shared"))
        ++m_tally.unsureIncrements[k];
}

bool Seat::Failed(const char* operation) {
    const std::string reason = t_messages.empty() ? "no message" : t_messages.front();
    t_messages.clear();
    if (Contains(reason, kConflictText)) {
        ++m_tally.conflicts;
        return false;
    }
    ++m_tally.failures[std::string(operation) + ": " + reason];
    return Contains(reason, kMaybeSavedText);
}

void Seat::Check(PGconn* server) {
    const std::string sql =
        "SELECT ConsumeName, ConsumeMoney FROM ConsumeTable WHERE "
        "ObjectDateTime = " +
        std::to_string(Client());
    PGresult* result = PQexec(server, sql.c_str());
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        ++m_tally.failures[std::string("check: ") + PQerrorMessage(server)];
        PQclear(result);
        return;
    }
    std::map<std::string, double> stored;
    for (int r = 0; r < PQntuples(result); ++r)
        stored[PQgetvalue(result, r, 0)] = std::atof(PQgetvalue(result, r, 1));
    PQclear(result);
    for (const auto& [name, amount] : m_saved) {
        auto it = stored.find(name);
        if (!m_unsure.count(name) &&
            (it == stored.end() || static_cast<float>(it->second) != static_cast<float>(amount)))
            ++m_tally.lost;
    }
    for (const auto& entry : stored)
        if (!m_saved.count(entry.first) && !m_unsure.count(entry.first)) ++m_tally.wrongRows;
}
