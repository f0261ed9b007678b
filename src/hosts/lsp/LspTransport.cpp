#include "hosts/lsp/LspTransport.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

// ------------------------------------------------------------------ inputs

size_t TFdInput::Read(char* Buffer, size_t Max) {
  for (;;) {
    const ssize_t N = ::read(FFd, Buffer, Max);
    if (N >= 0) return static_cast<size_t>(N);
    if (errno != EINTR) return 0;
  }
}

bool TFdInput::Ready() {
  pollfd P{FFd, POLLIN, 0};
  return ::poll(&P, 1, 0) > 0 && (P.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

size_t TStringInput::Read(char* Buffer, size_t Max) {
  const size_t N = std::min(Max, FData.size() - FPos);
  std::memcpy(Buffer, FData.data() + FPos, N);
  FPos += N;
  return N;
}

// ------------------------------------------------------------------ reader

namespace {

std::string Lower(std::string S) {
  for (char& C : S) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return S;
}

std::string TrimBlanks(const std::string& S) {
  size_t B = 0;
  size_t E = S.size();
  while (B < E && (S[B] == ' ' || S[B] == '\t')) ++B;
  while (E > B && (S[E - 1] == ' ' || S[E - 1] == '\t')) --E;
  return S.substr(B, E - B);
}

constexpr std::string_view LengthField = "content-length:";

}  // namespace

bool TLspReader::Fill() {
  if (FEnd) return false;
  if (FPos > 0 && FPos >= FBuf.size() / 2) {
    FBuf.erase(0, FPos);
    FPos = 0;
  }
  char Chunk[65536];
  const size_t N = FIn.Read(Chunk, sizeof Chunk);
  if (N == 0) {
    FEnd = true;
    return false;
  }
  FBuf.append(Chunk, N);
  return true;
}

bool TLspReader::ReadLine(std::string& Line, bool& TooLong) {
  Line.clear();
  TooLong = false;
  for (;;) {
    const size_t Nl = FBuf.find('\n', FPos);
    if (Nl != std::string::npos) {
      size_t End = Nl;
      if (End > FPos && FBuf[End - 1] == '\r') --End;
      if (End - FPos > MaxHeaderLine) TooLong = true;
      else Line.assign(FBuf, FPos, End - FPos);
      FPos = Nl + 1;
      return true;
    }
    if (FBuf.size() - FPos > MaxHeaderLine) {
      // No line end in sight: drop what is there and say so.
      TooLong = true;
      FPos = FBuf.size();
      if (!Fill()) return true;
      continue;
    }
    if (!Fill()) {
      if (FPos < FBuf.size()) {  // a last line without its end
        Line.assign(FBuf, FPos, FBuf.size() - FPos);
        FPos = FBuf.size();
        return true;
      }
      return false;
    }
  }
}

bool TLspReader::Resync() {
  for (;;) {
    const std::string Rest = Lower(FBuf.substr(FPos));
    const size_t Hit = Rest.find(LengthField);
    if (Hit != std::string::npos) {
      FPos += Hit;
      return true;
    }
    // Keep a tail that may be the start of the field name.
    if (FBuf.size() - FPos > LengthField.size()) FPos = FBuf.size() - LengthField.size();
    if (!Fill()) {
      FPos = FBuf.size();
      return false;
    }
  }
}

TLspFrame TLspReader::Next() {
  TLspFrame Frame;
  // Blank lines between messages are tolerated.
  std::string Line;
  bool TooLong = false;
  do {
    if (!ReadLine(Line, TooLong)) return Frame;  // End
  } while (Line.empty() && !TooLong);

  bool HaveLength = false;
  bool BadLength = false;
  size_t Length = 0;
  std::string Problem;
  for (bool First = true;; First = false) {
    if (!First) {
      if (!ReadLine(Line, TooLong)) {
        Frame.Kind = TLspFrame::Error;
        Frame.Problem = "The input ended inside a message header";
        FEnd = true;
        return Frame;
      }
      if (Line.empty() && !TooLong) break;
    }
    if (TooLong) {
      Problem = "A header line is longer than " + std::to_string(MaxHeaderLine) + " bytes";
      continue;
    }
    const size_t Colon = Line.find(':');
    if (Colon == std::string::npos) {
      if (Problem.empty()) Problem = "A header line has no \":\"";
      continue;
    }
    const std::string Name = Lower(TrimBlanks(Line.substr(0, Colon)));
    const std::string Value = TrimBlanks(Line.substr(Colon + 1));
    if (Name != "content-length") continue;  // Content-Type and others: nothing to do
    HaveLength = true;
    BadLength = Value.empty() || Value.size() > 12 ||
                !std::all_of(Value.begin(), Value.end(), [](char C) { return C >= '0' && C <= '9'; });
    if (!BadLength) {
      Length = std::stoull(Value);
      if (Length > MaxBody) BadLength = true;
    }
    if (BadLength) Problem = "Bad Content-Length: " + Value.substr(0, 40);
  }
  if (!HaveLength && Problem.empty()) Problem = "A message header has no Content-Length";
  if (!Problem.empty() && (!HaveLength || BadLength)) {
    // Where the body ends is unknown: go on at the next header.
    Frame.Kind = TLspFrame::Error;
    Frame.Problem = Problem;
    Resync();
    return Frame;
  }
  while (FBuf.size() - FPos < Length) {
    if (!Fill()) {
      Frame.Kind = TLspFrame::Error;
      Frame.Problem = "The input ended after " + std::to_string(FBuf.size() - FPos) + " of " +
                    std::to_string(Length) + " body bytes";
      FPos = FBuf.size();
      return Frame;
    }
  }
  if (!Problem.empty()) {  // a damaged header with a usable length: skip its body
    Frame.Kind = TLspFrame::Error;
    Frame.Problem = Problem;
  } else {
    Frame.Kind = TLspFrame::Message;
    Frame.Body.assign(FBuf, FPos, Length);
  }
  FPos += Length;
  return Frame;
}

// -------------------------------------------------------------- messages

std::string FrameMessage(const std::string& Body) {
  return "Content-Length: " + std::to_string(Body.size()) + "\r\n\r\n" + Body;
}

std::string DumpJson(const json& Value) {
  return Value.dump(-1, ' ', false, json::error_handler_t::replace);
}

TLspIncoming ParseMessage(const std::string& Body) {
  TLspIncoming M;
  json J = json::parse(Body, nullptr, false);
  if (J.is_discarded()) {
    M.ErrorCode = lspParseError;
    M.Error = "The message is not valid JSON";
    return M;
  }
  M.ErrorCode = lspInvalidRequest;
  if (!J.is_object()) {
    M.Error = "A message must be a JSON object";
    return M;
  }
  if (auto Id = J.find("id"); Id != J.end()) {
    if (Id->is_string() || Id->is_number_integer() || Id->is_null()) M.Id = *Id;
    else {
      M.Error = "The id must be a number or a string";
      return M;
    }
  }
  auto Version = J.find("jsonrpc");
  if (Version == J.end() || *Version != "2.0") {
    M.Error = "The message is not JSON-RPC 2.0";
    return M;
  }
  auto Method = J.find("method");
  if (Method == J.end()) {
    if (J.contains("id") && (J.contains("result") || J.contains("error"))) {
      M.Kind = TLspIncoming::Response;
      M.ErrorCode = 0;
      return M;
    }
    M.Error = "The message has no method";
    return M;
  }
  if (!Method->is_string()) {
    M.Error = "The method must be a string";
    return M;
  }
  M.Method = Method->get<std::string>();
  if (auto Params = J.find("params"); Params != J.end()) {
    if (!Params->is_object() && !Params->is_array() && !Params->is_null()) {
      M.Error = "The params must be an object or an array";
      return M;
    }
    M.Params = *Params;
  }
  if (J.contains("id") && M.Id.is_null()) {
    M.Error = "A request id must not be null";
    return M;
  }
  M.ErrorCode = 0;
  M.Kind = J.contains("id") ? TLspIncoming::Request : TLspIncoming::Notification;
  return M;
}

json ResponseMessage(const json& Id, const json& Result) {
  return json{{"jsonrpc", "2.0"}, {"id", Id}, {"result", Result}};
}

json ErrorMessage(const json& Id, int Code, const std::string& Message) {
  return json{{"jsonrpc", "2.0"}, {"id", Id}, {"error", {{"code", Code}, {"message", Message}}}};
}

json NotificationMessage(const std::string& Method, const json& Params) {
  return json{{"jsonrpc", "2.0"}, {"method", Method}, {"params", Params}};
}
