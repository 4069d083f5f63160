// Handles of the database layer as a host sees them: a connection and a recordset are
// shared, reference-counted objects of the module whose insides the host never touches.
#pragma once

#include <memory>

struct OrviConnection;
struct OrviRecordset;

using _ConnectionPtr = std::shared_ptr<OrviConnection>;
using _RecordsetPtr = std::shared_ptr<OrviRecordset>;
