// A Compound File Binary container (version 3, 512-byte sectors) holding one stream in its root
// storage: the file the spreadsheet writer produces around its "Workbook" stream.
//
// Layout: header, the stream's sectors (or, below the 4096-byte cut-off, the mini stream and its
// MiniFAT), the directory sector, the FAT sectors and, once the FAT needs more than the header's
// 109 slots, DIFAT sectors. Every chain ends with ENDOFCHAIN and every sector the file holds is
// listed in the FAT, so strict readers accept it.
#pragma once

#include <string>
#include <string_view>

// The file's bytes. The stream name is ASCII of at most 31 characters.
std::string CompoundFileBytes(std::string_view streamName, std::string_view stream);
