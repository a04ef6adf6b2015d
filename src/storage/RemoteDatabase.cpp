#include "storage/RemoteDatabase.h"

#include "storage/RemoteDatabaseProperties.h"

RemoteDatabase::RemoteDatabase()
    : RealDatabase(RemoteDatabaseKind, std::make_unique<RemoteDatabaseProperties>())
{}
