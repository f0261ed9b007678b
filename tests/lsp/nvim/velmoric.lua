-- Neovim as a client of `velmoric lsp`: opens MainForm.pas of the demo,
-- goes to a definition, lists the document symbols, shows a hover, applies
-- a code action and writes what it got to $VELMORIC_NVIM_OUT. Always quits.
local out_path = os.getenv("VELMORIC_NVIM_OUT")
local lines = {}
local function say(s) table.insert(lines, s) end

local function main()
  local root = os.getenv("VELMORIC_NVIM_ROOT")
  vim.cmd("edit " .. root .. "/MainForm.pas")
  local buf = vim.api.nvim_get_current_buf()
  local id = vim.lsp.start_client({
    name = "velmoric",
    cmd = { os.getenv("VELMORIC_CLI"), "lsp" },
    root_dir = root,
  })
  assert(id, "the server did not start")
  vim.lsp.buf_attach_client(buf, id)
  local client = vim.lsp.get_client_by_id(id)
  assert(vim.wait(20000, function() return client.initialized end, 50), "no initialize answer")
  say("server: " .. client.name)

  local function request(method, params)
    local res = vim.lsp.buf_request_sync(buf, method, params, 20000)
    assert(res and res[id], method .. " got no answer")
    assert(not res[id].err, method .. ": " .. vim.inspect(res[id].err))
    return res[id].result
  end
  local at = { textDocument = { uri = vim.uri_from_bufnr(buf) }, position = { line = 62, character = 15 } }

  -- The document symbols, first level.
  local symbols = request("textDocument/documentSymbol", { textDocument = at.textDocument })
  local names = {}
  for _, s in ipairs(symbols) do
    table.insert(names, s.name .. "/" .. vim.lsp.protocol.SymbolKind[s.kind])
  end
  say("symbols: " .. table.concat(names, " "))
  for _, s in ipairs(symbols) do
    if s.name == "TFormMain" then
      say("TFormMain: lines " .. (s.range.start.line + 1) .. "-" .. (s.range["end"].line + 1) ..
          ", " .. #(s.children or {}) .. " members")
    end
  end

  -- Hover on TShape in "FCurrent: TShape;".
  local hover = request("textDocument/hover", at)
  local md = vim.lsp.util.convert_input_to_markdown_lines(hover.contents)
  say("hover: " .. table.concat(md, " | "))

  -- Go to the definition as the user does: the cursor moves to Shapes.pas.
  vim.api.nvim_win_set_cursor(0, { 63, 15 })
  vim.lsp.buf.definition()
  assert(vim.wait(20000, function() return vim.api.nvim_get_current_buf() ~= buf end, 50),
         "the definition did not open a file")
  local pos = vim.api.nvim_win_get_cursor(0)
  say("definition: " .. vim.fn.fnamemodify(vim.api.nvim_buf_get_name(0), ":t") .. ":" .. pos[1] .. ":" ..
      (pos[2] + 1) .. ": " .. vim.trim(vim.api.nvim_get_current_line()))

  -- A code action in Shapes.pas: override TShape.Changed in TLineShape,
  -- resolved when chosen, applied to the buffer as the user's choice is.
  vim.cmd("edit " .. root .. "/Shapes.pas")
  local shapes = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(shapes, id)
  local here = { textDocument = { uri = vim.uri_from_bufnr(shapes) },
                 range = { start = { line = 83, character = 4 }, ["end"] = { line = 83, character = 4 } },
                 context = { diagnostics = {} } }
  local res = vim.lsp.buf_request_sync(shapes, "textDocument/codeAction", here, 20000)
  assert(res and res[id] and not res[id].err, "textDocument/codeAction failed")
  local titles, chosen = {}, nil
  for _, a in ipairs(res[id].result) do
    table.insert(titles, a.title)
    if a.title == "Override inherited method TShape.Changed" then chosen = a end
  end
  say("code actions: " .. table.concat(titles, ", "))
  assert(chosen, "no override of Changed")
  if not chosen.edit then
    local r = vim.lsp.buf_request_sync(shapes, "codeAction/resolve", chosen, 20000)
    assert(r and r[id] and not r[id].err, "codeAction/resolve failed")
    chosen = r[id].result
  end
  local before = vim.api.nvim_buf_get_lines(shapes, 0, -1, false)
  vim.lsp.util.apply_workspace_edit(chosen.edit, client.offset_encoding or "utf-16")
  local after = vim.api.nvim_buf_get_lines(shapes, 0, -1, false)
  say("lines: " .. #before .. " -> " .. #after)
  -- The lines the action added, the creation stamp left out.
  local seen = {}
  for _, l in ipairs(before) do seen[l] = (seen[l] or 0) + 1 end
  for i, l in ipairs(after) do
    if (seen[l] or 0) > 0 then
      seen[l] = seen[l] - 1
    elseif not l:find("Created :", 1, true) then
      say(string.format("+%d: %s", i, l))
    end
  end

  client.stop()
  vim.wait(5000, function() return client.is_stopped() end, 50)
end

local ok, err = pcall(main)
if not ok then say("error: " .. tostring(err)) end
local f = io.open(out_path, "w")
f:write(table.concat(lines, "\n") .. "\n")
f:close()
vim.cmd("qa!")
