#pragma once
#include <cstdint>
#include <vector>

// One thing the fitter asked for: a key, a click, one ecuctl command. A
// failure that every item touched by the action would meet again (a missing
// protocol library, a value the unit does not take) is said once per action,
// not once per item.
//
// Scopes nest, and the innermost one is current: a key pressed in a message
// box that a command shows is an action of its own, and the command's action
// goes on when it ends. Everything outside every scope (start-up, timers)
// counts as one action. GUI thread only, like every caller.
class UserAction {
public:
  UserAction();
  ~UserAction();
  UserAction(const UserAction &) = delete;
  UserAction &operator=(const UserAction &) = delete;

  // Identifies the current action; 0 outside every scope.
  static std::uint64_t Current();
  // True while the action's scope is open; 0 always is.
  static bool IsOpen(std::uint64_t action);
};

// Answers true the first time it is asked during an action, false after that
// for as long as that action lasts. An action that encloses a nested one that
// was answered true keeps its own answer: work that carries on after the
// fitter answered a message is still the same action.
class OncePerUserAction {
public:
  bool First();

private:
  std::vector<std::uint64_t> m_answered;
};
