#include "data/ado_connection.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "data/db_handles.h"
#include "data/driver.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/sqlite/sqlite_session.h"
#include "platform/message_box.h"

// The shared session of a server location when one is open; otherwise the session just
// opened becomes the shared one (or the one another thread opened meanwhile).
std::shared_ptr<OrviConnection> SharedConnection(const std::string& location);
std::shared_ptr<OrviConnection> ShareConnection(std::shared_ptr<OrviConnection> connection);

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : "、") + name;
    return text;
}

}  // namespace

void ReportReadOnlyDatabase() {
    ShowMessage(0, "数据库是只读的，不能保存修改。", "错误", MsgIcon::Error);
}

void ReportLostConnection(const std::string& reason, bool committing) {
    const char* text = committing
                           ? "与数据库的连接在保存时断开，这条记录可能已经保存，请重新查询后查看。"
                           : kConnectionLostText;
    ShowMessage(0, std::string(text) + "\n" + reason, "连接问题", MsgIcon::Information);
}

bool FindMissingTables(DbSession& session, std::vector<std::string>* missing, std::string* error) {
    std::vector<std::string> present;
    DbError failure;
    if (!session.TableNames(&present, &failure)) {
        *error = failure.text;
        return false;
    }
    for (std::string& name : present) name = Lower(name);
    missing->clear();
    for (const TableDef* table : AllTables())  // table names ignore case, as in SQL
        if (std::find(present.begin(), present.end(), Lower(table->name)) == present.end())
            missing->push_back(table->name);
    return true;
}

CAdoConnection::~CAdoConnection() {
    CloseDatabase();
}

int CAdoConnection::ConnectDatabase(const std::string& location) {
    if (m_connected == 1 && m_connection && m_connection->IsOpen()) return 1;

    std::strncpy(m_path, ShownLocation(location).c_str(), sizeof(m_path) - 1);
    m_path[sizeof(m_path) - 1] = '\0';

    m_connection.reset();
    m_errors.clear();
    const bool server = IsServerLocation(location);
    if (server) {
        if (std::shared_ptr<OrviConnection> shared = SharedConnection(location)) {
            m_connection = std::move(shared);
            m_connected = 1;
            return 1;
        }
    }
    auto connection = std::make_shared<OrviConnection>();
    connection->location = location;
    DbError failure;
    connection->session = OpenDatabase(location, &failure);
    std::vector<std::string> missing;
    if (connection->session) {
        // A file is only read at the first statement: a damaged file shows up here.
        std::string error;
        if (!FindMissingTables(*connection->session, &missing, &error)) {
            m_errors.push_back(error);
            connection->session.reset();
        }
    } else if (failure.text.empty()) {
        ShowMessage(0, "连接数据库失败!或者是否安装了ACCESS数据库引擎", "连接失败", MsgIcon::Error);
        return 0;
    } else {
        m_errors.push_back(failure.text);
    }
    if (!connection->session) {
        m_connection = connection;
        ReportConnectionErrors(0);
        m_connection.reset();
        return 0;
    }
    if (!missing.empty()) {
        ShowMessage(0,
                    "数据库 " + ShownLocation(location) + " 不是本系统的数据库，缺少数据表：" +
                        Join(missing),
                    "连接失败", MsgIcon::Error);
        return 0;
    }
    UseWriteAheadLog(*connection->session, location);
    connection->readOnly = connection->session->ReadOnly();
    m_connection = server ? ShareConnection(std::move(connection)) : std::move(connection);
    m_connected = 1;
    return 1;
}

bool CAdoConnection::IsReadOnly() const {
    return m_connection && m_connection->readOnly;
}

void CAdoConnection::CloseDatabase() {
    if (m_connection && m_connection->shared) {
        // A transaction this handle left open ends with it, as with a connection of its own.
        DbLock lock(*m_connection);
        if (m_connection->transactionOpener == this && m_connection->session->InTransaction()) {
            DbError ignored;
            m_connection->session->Execute("ROLLBACK", &ignored);
            m_connection->NoteTransaction(this);
        }
    }
    m_connection.reset();
}

int CAdoConnection::ExecuteSql(const std::string& sql) {
    if (!m_connected) return 0;
    m_errors.clear();
    if (!m_connection) {
        ReportConnectionErrors(3);  // nothing to describe: the unknown-error message
        return 0;
    }
    SessionLock lock(*m_connection, this);
    if (!lock.Acquired()) {
        m_errors.push_back(kOtherTransactionOpen);
        ReportConnectionErrors(3);
        return 0;
    }
    // Queries of this connection may have to give up their place for a write; they run
    // again when read further.
    for (OrviRecordset* reader : m_connection->readers) reader->PauseLocked();
    DbError failure;
    if (!m_connection->session->Execute(sql, &failure)) {
        m_errors.push_back(failure.text);
        if (failure.readOnly)
            ReportReadOnlyDatabase();
        else if (failure.connectionLost)
            ReportLostConnection(failure.text, sql == "COMMIT");
        else
            ReportConnectionErrors(3);
        return 0;
    }
    return 1;
}

int CAdoConnection::BeginTrans() {
    if (!m_connected || !m_connection) return ExecuteSql("BEGIN");
    return ExecuteSql(m_connection->session->Dialect().beginWrite);
}

int CAdoConnection::CommitTrans() {
    return ExecuteSql("COMMIT");
}

int CAdoConnection::RollbackTrans() {
    if (m_connected && m_connection) {
        SessionLock lock(*m_connection, this);
        if (lock.Acquired() && !m_connection->session->InTransaction()) return 1;
    }
    return ExecuteSql("ROLLBACK");
}

void CAdoConnection::ReportConnectionErrors(int kind) {
    if (kind < 0 || kind > 3) return;
    if (!m_connection || m_errors.empty()) {
        ShowMessage(0, "数据库连接未知错误，无法捕捉具体错误信息!", "错误", MsgIcon::Information);
        return;
    }
    for (const std::string& description : m_errors) {
        if (kind == 0 || kind == 2)
            ShowMessage(0, description, "连接失败", MsgIcon::Information);
        else
            AppMessageBox(description);
    }
}
