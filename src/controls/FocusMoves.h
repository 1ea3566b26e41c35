#pragma once
class QWidget;

// Visible and enabled with all its parents, and taking the focus at all.
bool CanTakeFocus(const QWidget *widget);

// A control that can pass a focus move on to its own neighbour when it
// cannot take the focus itself (numeric edits and key combo boxes).
class NeighbourChainLink {
public:
  virtual QWidget *ChainNeighbour(bool next) const = 0;

protected:
  ~NeighbourChainLink() = default;
};

// The first control along the neighbour chain from start (start's own
// NextControl or PrevControl) that can take the focus; null when the chain
// ends, or runs into a control that is no link, or comes round in a circle.
QWidget *FindChainTarget(const NeighbourChainLink &start, bool next);
