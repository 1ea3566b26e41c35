#include "controls/FocusMoves.h"

#include <QSet>
#include <QWidget>

bool CanTakeFocus(const QWidget *widget) {
  return widget && widget->isEnabled() && widget->isVisible() && widget->focusPolicy() != Qt::NoFocus;
}

QWidget *FindChainTarget(const NeighbourChainLink &start, bool next) {
  QSet<const QWidget *> seen;
  QWidget *candidate = start.ChainNeighbour(next);
  // A ring of hidden links would otherwise be walked for ever.
  while (candidate && !seen.contains(candidate)) {
    if (CanTakeFocus(candidate))
      return candidate;
    seen.insert(candidate);
    const auto *link = dynamic_cast<const NeighbourChainLink *>(candidate);
    if (!link)
      return nullptr;
    candidate = link->ChainNeighbour(next);
  }
  return nullptr;
}
