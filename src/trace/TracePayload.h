// The payload of a trace line: one byte holding the stream name's length, the
// stream name, then the text; at most 255 bytes and no NUL byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

constexpr size_t MaxTracePayload = 255;
constexpr size_t MaxTraceStreamName = 127;

// The payload for a line, with the text cut so that it fits; none for an
// empty stream name or one of 128 bytes or more.
std::optional<std::string> BuildTracePayload(const std::string& Stream, const std::string& Text);
