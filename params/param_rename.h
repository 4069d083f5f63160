// Carrying a parameter value's rename, merge or deletion into the record tables, and the
// transaction that makes the ObjectPar change and the record updates one unit.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CAdoConnection;

// "UPDATE <table> SET <column>='<new>' WHERE <column>='<old>'" for every record column of
// the kind, in table order; the values with their apostrophes doubled. None for kinds no
// record table holds.
std::vector<std::string> ParamRenameStatements(int kind, const std::string& oldName,
                                               const std::string& newName);

// Runs the kind's statements on the connection and stops at the first failure, which the
// connection reports with the database's message: 1 when all succeeded, else 0. A new name
// that is empty blanks the value in the records.
int RenameParamReferences(CAdoConnection& connection, int kind, const std::string& oldName,
                          const std::string& newName);

// Runs change inside one transaction of the connection: committed when it answers nonzero,
// rolled back otherwise or when the commit fails. 1 when committed.
int RunInTransaction(CAdoConnection& connection, const std::function<int()>& change);
