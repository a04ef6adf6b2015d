#pragma once

#include "storage/RealDatabase.h"

// The reserved remote-database kind (6): it exists so that the kind is known,
// and nothing creates one yet. Main thread only.
class RemoteDatabase : public RealDatabase
{
public:
    RemoteDatabase();
};
