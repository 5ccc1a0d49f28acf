// The loaded module's own handle (HMODULE on Windows, the shared library's handle on Linux),
// recorded by the platform's load notification; the editor will load its images through it.
#pragma once

// Any thread. Null until the load notification (Windows) or ModuleEntry (Linux) has run.
void* RecordedModuleHandle() noexcept;
// The copy the editor reads, made by InitDll.
void* EditorModuleHandle() noexcept;
// Called by the platform entry and by InitDll respectively.
void RecordModuleHandle(void* handle) noexcept;
void CopyModuleHandleForEditor() noexcept;
