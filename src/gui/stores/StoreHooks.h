#pragma once

// Connects the Qt-free stores to the platform: their directory comes from the profile value
// "path" and their error boxes go through CMessageBox. Called once at start (and by tests, again
// whenever they move the profile to another place).
void InstallStoreHooks();
