-- pandoc filter for the manuals.
--
-- A div of class "example" shows what one setting does to a copy. It holds a caption
-- (any paragraphs), optionally the filter file in a code block of class "rules", and
-- two code blocks: the text copied and the text pasted. Blanks that a reader could not
-- see are written with stand-ins: U+21E5 for a TAB and U+2423 for a half-width blank
-- (neither exists in code page 932, so they never stand for themselves); the full-width
-- blank is written as it is. tests/manual/manual_test.py runs every example through the
-- engine, so what the manual shows is what the program does.
--
-- The metadata gives the words around the examples (example-before, example-after,
-- example-rules) and the version line under the title (version-label and version).

local words = {}

local function text_of(meta, key)
  return meta[key] and pandoc.utils.stringify(meta[key]) or ''
end

local function Meta(meta)
  words.before = text_of(meta, 'example-before')
  words.after = text_of(meta, 'example-after')
  words.rules = text_of(meta, 'example-rules')
  if meta.version then
    meta.date = text_of(meta, 'version-label') .. ' ' .. text_of(meta, 'version')
  end
  return meta
end

local function escape(s)
  return (s:gsub('&', '&amp;'):gsub('<', '&lt;'):gsub('>', '&gt;'))
end

-- The blanks are drawn visibly, each in its own way.
local function shown(s)
  s = escape(s)
  s = s:gsub('\u{21E5}', '<span class="tab">\u{2192}</span>')
  s = s:gsub('\u{2423}', '<span class="sp">\u{2423}</span>')
  s = s:gsub('\u{3000}', '<span class="wide">\u{3000}</span>')
  return s
end

local function pre(s)
  return '<pre>' .. shown(s) .. '</pre>'
end

local function Div(div)
  if not div.classes:includes('example') then
    return nil
  end
  local blocks, rules, texts = {}, nil, {}
  for _, b in ipairs(div.content) do
    if b.t == 'CodeBlock' and b.classes:includes('rules') then
      rules = b.text
    elseif b.t == 'CodeBlock' then
      table.insert(texts, b.text)
    else
      table.insert(blocks, b)
    end
  end
  if #texts ~= 2 then
    error('an example needs the copied and the pasted text: ' .. pandoc.utils.stringify(div))
  end
  local html = ''
  if rules then
    html = html .. '<div class="rules"><div class="label">' .. escape(words.rules) .. '</div>'
      .. pre(rules) .. '</div>'
  end
  html = html .. '<table class="pair"><tr><th>' .. escape(words.before) .. '</th><th></th><th>'
    .. escape(words.after) .. '</th></tr><tr><td>' .. pre(texts[1])
    .. '</td><td class="arrow">\u{21D2}</td><td>' .. pre(texts[2]) .. '</td></tr></table>'
  table.insert(blocks, pandoc.RawBlock('html', html))
  return pandoc.Div(blocks, div.attr)
end

return {{Meta = Meta}, {Div = Div}}
