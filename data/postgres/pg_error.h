// The errors of libpq calls in the driver's terms.
#pragma once

#include <libpq-fe.h>

#include <string>

#include "data/driver.h"

// A message of libpq or the server without its trailing line breaks and spaces.
std::string TrimmedMessage(const char* message);
// Whether a failed call means the connection is gone: libpq says so, the server ended the
// session (SQLSTATE class 08, 57P01 to 57P03), libpq failed on the socket (an error without a
// SQLSTATE: "server closed the connection unexpectedly"), or no result came back. libpq may
// still call such a connection good until its next command fails too.
bool ConnectionLost(PGconn* conn, const PGresult* result);
// From a failed result: the server's primary message (else the connection's message), the
// read-only refusal (SQLSTATE 25006) and whether the connection went away with the call.
void SetResultError(PGconn* conn, const PGresult* result, DbError* error);
