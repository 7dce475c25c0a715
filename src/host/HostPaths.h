// Where the host keeps its files: the default SQLite database lives in the user's XDG data folder.
#pragma once

#include <string>

// The XDG data folder of the product ($XDG_DATA_HOME/gusvak or ~/.local/share/gusvak).
std::string HostDataFolder();
// The default database file: HostDataFolder()/retailhost.db.
std::string DefaultDatabasePath();
