#include "data/ado_connection.h"

#include <cstring>

#include "data/db_handles.h"
#include "platform/message_box.h"

CAdoConnection::~CAdoConnection() {
    CloseDatabase();
}

int CAdoConnection::ConnectDatabase(const std::string& path) {
    if (m_connected == 1 && m_connection && m_connection->IsOpen()) return 1;

    std::strncpy(m_path, path.c_str(), sizeof(m_path) - 1);
    m_path[sizeof(m_path) - 1] = '\0';

    m_connection.reset();
    m_errors.clear();
    auto connection = std::make_shared<OrviConnection>();
    connection->path = m_path;
    int rc = sqlite3_open_v2(m_path, &connection->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (!connection->db) {
        ShowMessage(0, "连接数据库失败!或者是否安装了ACCESS数据库引擎", "连接失败", MsgIcon::Error);
        return 0;
    }
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(connection->db, kBusyTimeoutMs);
        // The file is only read at the first statement: a damaged file shows up here.
        rc = sqlite3_exec(connection->db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr,
                          nullptr);
    }
    if (rc != SQLITE_OK) {
        m_errors.push_back(sqlite3_errmsg(connection->db));
        m_connection = connection;
        ReportConnectionErrors(0);
        m_connection.reset();
        return 0;
    }
    m_connection = connection;
    m_connected = 1;
    return 1;
}

void CAdoConnection::CloseDatabase() {
    m_connection.reset();
}

int CAdoConnection::ExecuteSql(const std::string& sql) {
    if (!m_connected) return 0;
    m_errors.clear();
    if (!m_connection) {
        ReportConnectionErrors(3);  // nothing to describe: the unknown-error message
        return 0;
    }
    char* error = nullptr;
    if (sqlite3_exec(m_connection->db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        m_errors.push_back(error ? error : sqlite3_errmsg(m_connection->db));
        sqlite3_free(error);
        ReportConnectionErrors(3);
        return 0;
    }
    return 1;
}

int CAdoConnection::BeginTrans() {
    return ExecuteSql("BEGIN IMMEDIATE");
}

int CAdoConnection::CommitTrans() {
    return ExecuteSql("COMMIT");
}

int CAdoConnection::RollbackTrans() {
    if (m_connected && m_connection && sqlite3_get_autocommit(m_connection->db)) return 1;
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
