#pragma once
// The move that replaces a file (MoveFileExA's signature), which PutInPlace
// tries before renaming the old file aside. A test puts in one that fails as
// Windows 9x's stub does; nullptr restores the system's.
namespace tarvex::platform {

using ReplacingMove = int(__stdcall*)(const char* from, const char* to, unsigned long flags);
void SetReplacingMoveForTesting(ReplacingMove move);

} // namespace tarvex::platform
