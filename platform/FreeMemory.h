#pragma once

// Hands the memory the program has freed back to the operating system. The allocator keeps freed
// blocks for reuse, so an idle program would go on holding what its last camera run needed.
void returnFreedMemory();
