// One simulated call-centre seat for the seats.* figures: it works through the module's own
// data layer (a connection and CRstValues, as a host does) on the expense records of its
// own client and on a few records every seat edits, and remembers what it was told saved.
#pragma once

#include <libpq-fe.h>

#include <array>
#include <chrono>
#include <map>
#include <random>
#include <set>
#include <string>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"

// The records every seat edits: client 0, named "shared 0" ... ; the seats add 1 to their
// amount, so at the end each amount is the number of edits that were reported saved.
constexpr int kSharedRecords = 8;
constexpr long kSharedClient = 0;

struct SeatTally {
    long ops = 0;
    long conflicts = 0;  // saves refused because another seat had changed the record
    long lost = 0;       // records reported saved that are missing or different at the end
    long wrongRows = 0;  // rows a load or query gave that the seat had not saved
    std::map<std::string, long> failures;  // by the message shown
    std::array<long, kSharedRecords> increments{};
    std::array<long, kSharedRecords> unsureIncrements{};  // saves whose commit was cut off

    void Add(const SeatTally& other);
    // A text form, one count a line, and back.
    std::string Text() const;
    void AddText(const std::string& text);
};

// Routes the module's message boxes of the calling process to the seat working on the
// thread that caused them; call once in each seat process.
void CaptureSeatMessages();

class Seat {
public:
    Seat(int id, std::string location) : m_id(id), m_location(std::move(location)), m_rng(id) {}

    bool Connect();
    void Work(std::chrono::steady_clock::time_point until);
    // Compares the seat's records on the server (a connection of its own, not through the
    // module) with what the seat was told saved.
    void Check(PGconn* server);
    const SeatTally& Tally() const { return m_tally; }

private:
    long Client() const { return 1000 + m_id; }
    std::string OwnQuery(const std::string& condition) const;
    void LoadList(const std::string& condition, char lastDigit);
    void Insert();
    void EditOwn();
    void EditShared();
    void DeleteOwn();
    bool OpenOwn(const std::string& name);
    std::string PickSaved();
    // Counts the failure the last call reported; true when it may have been saved.
    bool Failed(const char* operation);

    int m_id;
    std::string m_location;
    std::mt19937 m_rng;
    CAdoConnection m_connection;
    CRstValues m_rst;
    std::map<std::string, long> m_saved;  // own record name -> amount
    std::set<std::string> m_unsure;       // own records whose save was cut off
    long m_next = 0;
    SeatTally m_tally;
};
