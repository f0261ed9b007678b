// The language server's wire: messages framed by a "Content-Length" header
// (protocol 3.17) and JSON-RPC 2.0 on top. Nothing here knows the IDE.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>

using json = nlohmann::json;

// JSON-RPC and protocol error codes.
enum TLspErrorCode : int {
  lspParseError = -32700,
  lspInvalidRequest = -32600,
  lspMethodNotFound = -32601,
  lspInvalidParams = -32602,
  lspInternalError = -32603,
  lspServerNotInitialized = -32002,
  lspRequestFailed = -32803,
  lspRequestCancelled = -32800,
  lspContentModified = -32801,
};

// Where the messages come from.
class TLspInput {
 public:
  virtual ~TLspInput() = default;
  // Up to Max bytes into Buffer; 0 at the end of the input. May block.
  virtual size_t Read(char* Buffer, size_t Max) = 0;
  // Whether Read would return at once.
  virtual bool Ready() = 0;
};

// A file descriptor (standard input).
class TFdInput : public TLspInput {
 public:
  explicit TFdInput(int Fd) : FFd(Fd) {}
  size_t Read(char* Buffer, size_t Max) override;
  bool Ready() override;

 private:
  int FFd;
};

// Bytes held in memory.
class TStringInput : public TLspInput {
 public:
  explicit TStringInput(std::string Data) : FData(std::move(Data)) {}
  size_t Read(char* Buffer, size_t Max) override;
  bool Ready() override { return true; }

 private:
  std::string FData;
  size_t FPos = 0;
};

struct TLspFrame {
  enum TKind { Message, Error, End } Kind = End;
  std::string Body;   // Message: the body as sent
  std::string Problem;  // Error: what was wrong with the frame
};

// Cuts the input into message bodies. A frame whose header is unusable (no
// Content-Length, a bad length, a header line without ":") is reported as an
// Error, and reading goes on at the next "Content-Length:" of the input. A
// body cut short by the end of the input is an Error followed by End.
class TLspReader {
 public:
  static constexpr size_t MaxBody = 64u << 20;
  static constexpr size_t MaxHeaderLine = 8192;

  explicit TLspReader(TLspInput& In) : FIn(In) {}
  TLspFrame Next();
  // Whether another frame can be read without waiting.
  bool Ready() { return FPos < FBuf.size() || (!FEnd && FIn.Ready()); }

 private:
  bool Fill();  // reads more; false at the end of the input
  // Reads up to the next line end; false at the end of the input.
  bool ReadLine(std::string& Line, bool& TooLong);
  // Drops input up to the next "Content-Length:"; false at the end.
  bool Resync();

  TLspInput& FIn;
  std::string FBuf;
  size_t FPos = 0;
  bool FEnd = false;
};

// One message with its header.
std::string FrameMessage(const std::string& Body);
// The JSON text of a value; bytes that are not UTF-8 are replaced.
std::string DumpJson(const json& Value);

// A message as received.
struct TLspIncoming {
  enum TKind { Request, Notification, Response, Invalid } Kind = Invalid;
  json Id;  // null when there is none
  std::string Method;
  json Params;  // null when there is none
  int ErrorCode = 0;  // Invalid: what to answer
  std::string Error;
};

// Parses a body and checks it against JSON-RPC 2.0.
TLspIncoming ParseMessage(const std::string& Body);

json ResponseMessage(const json& Id, const json& Result);
json ErrorMessage(const json& Id, int Code, const std::string& Message);
json NotificationMessage(const std::string& Method, const json& Params);
