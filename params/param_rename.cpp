#include "params/param_rename.h"

#include "data/ado_connection.h"
#include "params/param_kinds.h"
#include "records/pages/query_builder.h"

std::vector<std::string> ParamRenameStatements(int kind, const std::string& oldName,
                                               const std::string& newName) {
    const std::string newText = "'" + QuoteSqlText(newName) + "'";
    const std::string oldText = "'" + QuoteSqlText(oldName) + "'";
    std::vector<std::string> statements;
    for (const ParamColumn& c : ParamKindColumns(kind)) {
        const std::string column = c.column;
        statements.push_back("UPDATE " + std::string(c.table) + " SET " + column + "=" + newText +
                             " WHERE " + column + "=" + oldText);
    }
    return statements;
}

int RenameParamReferences(CAdoConnection& connection, int kind, const std::string& oldName,
                          const std::string& newName) {
    for (const std::string& sql : ParamRenameStatements(kind, oldName, newName))
        if (!connection.ExecuteSql(sql)) return 0;
    return 1;
}

int RunInTransaction(CAdoConnection& connection, const std::function<int()>& change) {
    if (!connection.BeginTrans()) return 0;
    if (change() && connection.CommitTrans()) return 1;
    connection.RollbackTrans();
    return 0;
}
