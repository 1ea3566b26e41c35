#include "platform/UserAction.h"

#include <algorithm>

namespace {
std::vector<std::uint64_t> g_open;
std::uint64_t g_last = 0;
} // namespace

UserAction::UserAction() {
  g_open.push_back(++g_last);
}

UserAction::~UserAction() {
  g_open.pop_back();
}

std::uint64_t UserAction::Current() {
  return g_open.empty() ? 0 : g_open.back();
}

bool UserAction::IsOpen(std::uint64_t action) {
  return action == 0 || std::find(g_open.begin(), g_open.end(), action) != g_open.end();
}

bool OncePerUserAction::First() {
  std::erase_if(m_answered, [](std::uint64_t action) { return !UserAction::IsOpen(action); });
  const std::uint64_t action = UserAction::Current();
  if (std::find(m_answered.begin(), m_answered.end(), action) != m_answered.end())
    return false;
  m_answered.push_back(action);
  return true;
}
