#pragma once

struct OperationContext;

// "Send Command File": a command file run with the real open dialog, its lines
// in the main view's log (drawn as they come) and the expected text of each
// RESPONSE on the program's standard output.
void SendCommandFile(const OperationContext& view);
