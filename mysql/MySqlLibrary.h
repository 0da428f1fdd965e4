#pragma once

namespace kelvanto
{

// Initialises the client library once per process. Call it before any thread that
// talks to a server starts; later calls do nothing.
void InitMySqlLibrary();

// Releases the client library's per-thread state; every thread that used a connection
// calls it before it ends.
void EndMySqlThread();

} // namespace kelvanto
