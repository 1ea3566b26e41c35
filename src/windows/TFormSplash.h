#pragma once
#include <QLabel>
#include <QWidget>

// The start-up picture: borderless, on top, white, fading in from fully
// transparent while the main window is first shown.
class TFormSplash : public QWidget {
  Q_OBJECT
public:
  explicit TFormSplash(QWidget *owner = nullptr);

  // 127 steps of +2 alpha every 10 ms, then full alpha held for 2 s. Blocks
  // user input meanwhile but keeps painting.
  void FadeIn();

  QLabel *SplashImageZarvelo = nullptr;
  QLabel *SplashImageSecond = nullptr;

private:
  static void Pause(int milliseconds);
};
