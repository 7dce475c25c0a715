// The host database schema, written once and turned into DDL for each backend.
//
// Tables are named "tb" plus a pinyin abbreviation and fields "f_" plus one, the host's own
// convention. Dates are eight-digit texts (YYYYMMDD), so they compare as texts and travel to the
// module unchanged; moments are "YYYY-MM-DD HH:MM:SS". Quantities and amounts are 64-bit floats.
#pragma once

#include "DbBackend.h"

#include <string>
#include <vector>

enum class TSchemaType : std::uint8_t { Text, LongText, Integer, Float };

struct TSchemaColumn {
    const char* Name;
    TSchemaType Type;
    int Size = 0; // texts
};

struct TSchemaTable {
    const char* Name;
    std::vector<TSchemaColumn> Columns;
    std::vector<const char*> PrimaryKey;
    std::vector<std::vector<const char*>> Indexes;
};

const std::vector<TSchemaTable>& HostSchemaTables();

// CREATE TABLE and CREATE INDEX statements for a backend, in dependency order.
std::vector<std::string> HostSchemaDdl(TDbKind kind);

// Drops every table of the schema that exists, then creates them all, inside the caller's
// transaction.
void CreateHostSchema(TDbBackend& db);

// True when the database already holds the host schema.
bool HostSchemaPresent(TDbBackend& db);
