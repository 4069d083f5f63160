#include "support/scratch_database.h"

#include <unistd.h>

#include <cstdlib>

#include "tools/orvicrm-db/tool_database.h"

ScratchDatabase::ScratchDatabase(const char* encoding) {
    static int count = 0;
    m_name = "orvi_scratch_" + std::to_string(getpid()) + "_" + std::to_string(++count);
    TestSql(getenv("ORVICRM_TEST_POSTGRES"))
        .Exec("CREATE DATABASE " + m_name + " ENCODING '" + encoding +
              "' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
    m_location = WithDatabaseName(getenv("ORVICRM_TEST_POSTGRES"), m_name);
    m_sql = std::make_unique<TestSql>(m_location);
}

ScratchDatabase::~ScratchDatabase() {
    m_sql.reset();
    TestSql(getenv("ORVICRM_TEST_POSTGRES"))
        .Exec("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
}
