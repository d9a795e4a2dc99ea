#pragma once

// Registers every type that crosses a thread in a queued signal. Called once by the program's
// entry point and by each test before any queued connection carries such a value.
void registerSharedTypes();
