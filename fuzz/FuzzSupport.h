// What the fuzz targets for report files share: a message service that answers every box and
// keeps nothing, and the input as the byte string the readers take. Damaged input is reported
// through message boxes, so a target that did not quiet them would grow its record on every run.
#pragma once

#include "platform/MessageService.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Answers every box without keeping it, so long runs do not grow.
class TQuietMessages : public IMessageService {
public:
    TMsgResult ShowMessage(const AnsiString&, const AnsiString&, TMsgIcon, TMsgButtons b) override {
        return DismissAnswer(b);
    }
    int ChoiceBox(const AnsiString&, const AnsiString&, const std::vector<AnsiString>&, int) override {
        return -1;
    }
    std::optional<AnsiString> InputBox(const AnsiString&, const AnsiString&, const AnsiString&) override {
        return std::nullopt;
    }
};

// Installs the quiet service for the rest of the process.
inline void QuietMessages() {
    static TQuietMessages quiet;
    SetMessageService(&quiet);
}

// The fuzzer's input as an owned byte string.
inline std::string FuzzBytes(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
