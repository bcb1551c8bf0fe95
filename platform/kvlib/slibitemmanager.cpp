#include "kvlib/slibitemmanager.h"

SString SLibItemManager::GetItem(const SString& name) const {
  auto it = m_items.find(name);
  return it == m_items.end() ? SString() : it->second;
}

SString SLibItemManager::Translate(const SString& text) const {
  const std::u16string_view s = text.view();
  std::u16string out;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] != u'%') {
      out += s[i++];
      continue;
    }
    const std::size_t close = s.find(u'%', i + 1);
    if (close == std::u16string_view::npos) {
      out.append(s.substr(i));
      break;
    }
    auto it = m_items.find(SString(s.substr(i + 1, close - i - 1)));
    if (it != m_items.end()) {
      out += it->second.str();
      i = close + 1;
    } else {
      // Unknown: keep the '%' and go on from the next one, which may open a known field.
      out += u'%';
      ++i;
      out.append(s.substr(i, close - i));
      i = close;
    }
  }
  return SString(out);
}
