// Small text and date helpers of the host server: conversion at the database edge (UTF-8 inside
// the database, CP936 across the boundary), tab-joined parameter texts, backslash-escaped cells
// and eight-digit dates.
#pragma once

#include "platform/AnsiString.h"

#include <string>
#include <string_view>
#include <vector>

// UTF-8 <-> CP936, skipping the converter for plain ASCII (codes, numbers, dates: most cells).
AnsiString DbToAnsi(std::string_view utf8);
std::string AnsiToDb(std::string_view ansi);

// Splits a tab-joined parameter text; "a\tb" gives two fields, "" gives one empty field.
std::vector<std::string> SplitTabs(std::string_view text);

// Appends the text with backslash, tab, newline and carriage return written as \\, \t, \n and \r:
// the text format of PostgreSQL's COPY, which the call command's tab-separated output follows
// too, so that a cell never breaks its row or column.
void AppendBackslashEscaped(std::string& out, std::string_view text);

// True for eight digits that name a real calendar date (YYYYMMDD).
bool IsDate8(std::string_view text);
// The date eight-digit text plus a number of days (may be negative); the text must be valid.
std::string AddDays8(std::string_view date8, int days);
// "YYYY-MM-DD HH:MM:SS" -> "YYYYMMDD".
std::string Date8OfTimestamp(std::string_view timestamp);
