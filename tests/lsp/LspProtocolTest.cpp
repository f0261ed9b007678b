// The wire and the lifecycle: framing, JSON-RPC checks, positions and URIs,
// and every kind of bad input answered with a protocol error.
#include <gtest/gtest.h>

#include "LspTestClient.h"

using namespace lsptest;

namespace {

std::vector<TLspFrame> ReadAll(const std::string& Stream) {
  TStringInput In(Stream);
  TLspReader Reader(In);
  std::vector<TLspFrame> Frames;
  for (int I = 0; I < 100; ++I) {
    TLspFrame F = Reader.Next();
    if (F.Kind == TLspFrame::End) break;
    Frames.push_back(F);
  }
  return Frames;
}

TEST(LspFraming, ReadsMessagesWithAndWithoutExtraHeaders) {
  const std::string Stream = FrameMessage("{\"a\":1}") + "\r\n" +
                             "Content-Type: application/vscode-jsonrpc; charset=utf-8\r\n"
                             "content-length: 2\r\n\r\n[]" +
                             "Content-Length: 0\n\n";
  auto Frames = ReadAll(Stream);
  ASSERT_EQ(Frames.size(), 3u);
  EXPECT_EQ(Frames[0].Body, "{\"a\":1}");
  EXPECT_EQ(Frames[1].Body, "[]");
  EXPECT_EQ(Frames[2].Kind, TLspFrame::Message);
  EXPECT_EQ(Frames[2].Body, "");
}

TEST(LspFraming, BadHeadersAreErrorsAndReadingGoesOn) {
  const std::string Next = FrameMessage("{\"ok\":true}");
  auto Frames = ReadAll("Content-Type: x\r\n\r\n{\"lost\":1}" + Next +           // no length
                        "Content-Length: -3\r\n\r\nxyz" + Next +                  // bad length
                        "Content-Length: 99999999999\r\n\r\n" + Next +            // too long
                        "no colon here\r\nContent-Length: 2\r\n\r\n{}" + Next);  // skipped body
  ASSERT_EQ(Frames.size(), 8u);
  for (int I = 0; I < 8; I += 2) {
    EXPECT_EQ(Frames[I].Kind, TLspFrame::Error) << I;
    EXPECT_FALSE(Frames[I].Problem.empty());
    EXPECT_EQ(Frames[I + 1].Body, "{\"ok\":true}") << I;
  }
  EXPECT_NE(Frames[0].Problem.find("Content-Length"), std::string::npos);
}

TEST(LspFraming, ABodyCutShortEndsTheInput) {
  auto Frames = ReadAll("Content-Length: 50\r\n\r\n{\"jsonrpc\":");
  ASSERT_EQ(Frames.size(), 1u);
  EXPECT_EQ(Frames[0].Kind, TLspFrame::Error);
  EXPECT_NE(Frames[0].Problem.find("11 of 50"), std::string::npos) << Frames[0].Problem;
  auto Header = ReadAll("Content-Length: 5\r\nContent-Type: x");
  ASSERT_EQ(Header.size(), 1u);
  EXPECT_EQ(Header[0].Kind, TLspFrame::Error);
}

TEST(LspMessages, JsonRpcIsChecked) {
  EXPECT_EQ(ParseMessage("{nope").ErrorCode, lspParseError);
  EXPECT_EQ(ParseMessage("[1,2]").ErrorCode, lspInvalidRequest);
  EXPECT_EQ(ParseMessage(R"({"id":1,"method":"x"})").ErrorCode, lspInvalidRequest);
  TLspIncoming BadId = ParseMessage(R"({"jsonrpc":"2.0","id":{},"method":"x"})");
  EXPECT_EQ(BadId.ErrorCode, lspInvalidRequest);
  TLspIncoming BadParams = ParseMessage(R"({"jsonrpc":"2.0","id":7,"method":"x","params":3})");
  EXPECT_EQ(BadParams.ErrorCode, lspInvalidRequest);
  EXPECT_EQ(BadParams.Id, 7);
  EXPECT_EQ(ParseMessage(R"({"jsonrpc":"2.0","id":"a","method":"m","params":{}})").Kind, TLspIncoming::Request);
  EXPECT_EQ(ParseMessage(R"({"jsonrpc":"2.0","method":"m"})").Kind, TLspIncoming::Notification);
  EXPECT_EQ(ParseMessage(R"({"jsonrpc":"2.0","id":3,"result":null})").Kind, TLspIncoming::Response);
}

TEST(LspText, Utf16PositionsAndEncodings) {
  const std::string Line = "a\xC3\xA9" "b\xF0\x9F\x98\x80" "c";  // a é b 😀 c
  EXPECT_EQ(DetectEncoding(Line), TTextEncoding::Utf8);
  EXPECT_EQ(Utf16Length(Line, 3, TTextEncoding::Utf8), 2);   // a é
  EXPECT_EQ(Utf16Length(Line, 8, TTextEncoding::Utf8), 5);   // ... b 😀 (two units)
  EXPECT_EQ(ByteOffset(Line, 2, TTextEncoding::Utf8), 3);
  EXPECT_EQ(ByteOffset(Line, 5, TTextEncoding::Utf8), 8);
  EXPECT_EQ(ByteOffset(Line, 4, TTextEncoding::Utf8), 4);    // inside the surrogate pair
  EXPECT_EQ(ByteOffset(Line, 99, TTextEncoding::Utf8), static_cast<int>(Line.size()));
  const std::string Latin = "caf\xE9 x";
  EXPECT_EQ(DetectEncoding(Latin), TTextEncoding::Latin1);
  EXPECT_EQ(Utf16Length(Latin, 5, TTextEncoding::Latin1), 5);
  EXPECT_EQ(ToUtf8(Latin, TTextEncoding::Latin1), "caf\xC3\xA9 x");
  EXPECT_EQ(DetectEncoding("\xC0\x80"), TTextEncoding::Latin1);  // overlong
  TLineIndex Lines("a\r\nbc\rd\n");
  ASSERT_EQ(Lines.LineCount(), 4);
  EXPECT_EQ(Lines.LineStart(1), 3);
  EXPECT_EQ(Lines.LineLength(1), 2);
  EXPECT_EQ(Lines.LineStart(2), 6);
  EXPECT_EQ(Lines.LineOf(4), 1);
}

TEST(LspText, FileUris) {
  EXPECT_EQ(PathToUri("/a b/c#1.pas"), "file:///a%20b/c%231.pas");
  EXPECT_EQ(UriToPath("file:///a%20b/c%231.pas"), "/a b/c#1.pas");
  EXPECT_EQ(UriToPath("FILE://localhost/x.pas"), "/x.pas");
  EXPECT_EQ(UriToPath("http://x/y"), "");
  EXPECT_EQ(UriToPath("file:///bad%2"), "");
  EXPECT_EQ(UriToPath("file:///nul%00"), "");
}

// ------------------------------------------------------------- lifecycle

TEST_F(LspTest, RequestsBeforeInitializeAndAfterShutdownAreRefused) {
  json Early = Client->Request("textDocument/hover", At("Zoo.pas", 0, 0));
  EXPECT_EQ(Early["error"]["code"], lspServerNotInitialized);
  Start();
  json Again = Client->Request("initialize", json::object());
  EXPECT_EQ(Again["error"]["code"], lspInvalidRequest);
  json Unknown = Client->Request("textDocument/rename", At("Zoo.pas", 0, 0));
  EXPECT_EQ(Unknown["error"]["code"], lspMethodNotFound);
  Client->Notify("$/setTrace", {{"value", "off"}});  // an unknown notification: nothing
  EXPECT_TRUE(Client->Request("shutdown", nullptr)["result"].is_null());
  json Late = Client->Request("textDocument/hover", At("Zoo.pas", 0, 0));
  EXPECT_EQ(Late["error"]["code"], lspInvalidRequest);
  EXPECT_FALSE(Client->Server.Exited());
  Client->Notify("exit", nullptr);
  EXPECT_TRUE(Client->Server.Exited());
  EXPECT_EQ(Client->Server.ExitCode(), 0);
}

TEST_F(LspTest, InitializeNamesWhatItAnswers) {
  json R = Client->Request("initialize", {{"rootUri", PathToUri(Dir)}, {"capabilities", json::object()}});
  const json& Caps = R["result"]["capabilities"];
  for (const char* Cap : {"definitionProvider", "declarationProvider", "implementationProvider",
                          "documentSymbolProvider", "workspaceSymbolProvider", "referencesProvider",
                          "hoverProvider"})
    EXPECT_EQ(Caps[Cap], true) << Cap;
  EXPECT_EQ(Caps["textDocumentSync"]["change"], 2);
  EXPECT_EQ(Caps["completionProvider"]["triggerCharacters"], json::array({"."}));
  EXPECT_EQ(Caps["executeCommandProvider"]["commands"].size(), 4u);
  EXPECT_EQ(Caps["codeActionProvider"]["codeActionKinds"], json::array({"quickfix", "refactor"}));
}

TEST_F(LspTest, BadInputGetsErrorsAndNothingBreaks) {
  Start();
  std::vector<std::string> Out;
  // Through the reader: broken JSON, a frame without length, a request, a
  // request cancelled by the notification after it, and a body cut short.
  std::string Stream = FrameMessage("{\"jsonrpc\":\"2.0\",\"id\":") +
                       "X-Header: 1\r\n\r\n{}" +
                       FrameMessage(R"({"jsonrpc":"2.0","id":20,"method":"workspace/symbol","params":{"query":"TDog"}})") +
                       FrameMessage(R"({"jsonrpc":"2.0","id":21,"method":"workspace/symbol","params":{"query":""}})") +
                       FrameMessage(R"({"jsonrpc":"2.0","method":"$/cancelRequest","params":{"id":21}})") +
                       FrameMessage(R"({"jsonrpc":"2.0","id":22,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///nowhere.pas"},"position":{"line":0,"character":0}}})") +
                       FrameMessage(R"({"jsonrpc":"2.0","id":23,"method":"textDocument/hover","params":{"textDocument":{"uri":")" + Uri("Zoo.pas") + R"("},"position":{"line":900,"character":0}}})") +
                       FrameMessage(R"({"jsonrpc":"2.0","id":24,"method":"textDocument/hover","params":{"textDocument":{"uri":")" + Uri("Zoo.pas") + R"("}}})") +
                       "Content-Length: 40\r\n\r\n{\"jsonrpc\"";
  TStringInput In(Stream);
  const size_t Before = Client->Sent.size();
  EXPECT_EQ(Client->Server.Run(In), 1);  // the input ended without shutdown
  std::map<json, json> ById;
  std::vector<json> Unnamed;
  for (size_t I = Before; I < Client->Sent.size(); ++I) {
    const json& M = Client->Sent[I];
    if (M.contains("method")) continue;
    if (M["id"].is_null()) Unnamed.push_back(M);
    else ById[M["id"]] = M;
  }
  ASSERT_EQ(Unnamed.size(), 3u);  // the broken JSON, the header, the cut body
  EXPECT_EQ(Unnamed[0]["error"]["code"], lspParseError);
  EXPECT_EQ(Unnamed[1]["error"]["code"], lspParseError);
  EXPECT_EQ(Unnamed[2]["error"]["code"], lspParseError);
  EXPECT_EQ(ById[20]["result"].size(), 1u) << ById[20].dump();
  EXPECT_EQ(ById[21]["error"]["code"], lspRequestCancelled);
  EXPECT_EQ(ById[22]["error"]["code"], lspInvalidParams);
  EXPECT_EQ(ById[23]["error"]["code"], lspInvalidParams);
  EXPECT_EQ(ById[24]["error"]["code"], lspInvalidParams);
}

TEST_F(LspTest, ANotificationWithBadParamsIsDropped) {
  Start();
  Client->Notify("textDocument/didChange", {{"textDocument", Doc("Zoo.pas")}, {"contentChanges", 3}});
  Client->Notify("textDocument/didOpen", {{"textDocument", 1}});
  Client->Notify("textDocument/didClose", {{"textDocument", Doc("Nowhere.pas")}});
  json Symbols = Result("textDocument/documentSymbol", {{"textDocument", Doc("Zoo.pas")}});
  EXPECT_EQ(Symbols.size(), 1u);  // TZoo, the document unchanged
}

}  // namespace
