// The host's file locations (see HostPaths.h).
#include "HostPaths.h"

#include "platform/ConfigPaths.h"

std::string HostDataFolder() {
    return DataFolder();
}

std::string DefaultDatabasePath() {
    return JoinPath(DataFolder(), "retailhost.db");
}
