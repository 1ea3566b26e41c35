#include "windows/TFormSplash.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <algorithm>

namespace {
// The logo: the product name over a flame-coloured band.
QPixmap Logo(QSize size) {
  QPixmap logo(size);
  logo.fill(Qt::white);
  QPainter painter(&logo);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient band(0, 0, size.width(), 0);
  band.setColorAt(0, QColor(255, 176, 0));
  band.setColorAt(1, QColor(255, 60, 0));
  painter.fillRect(QRect(0, size.height() - 46, size.width(), 46), band);
  QFont font(QStringLiteral("DejaVu Serif"));
  font.setPixelSize(84);
  font.setBold(true);
  font.setItalic(true);
  painter.setFont(font);
  painter.setPen(QColor(31, 78, 140));
  painter.drawText(QRect(0, 10, size.width(), size.height() - 60), Qt::AlignCenter, QStringLiteral("QMD652"));
  font.setPixelSize(22);
  font.setItalic(false);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, size.height() - 46, size.width(), 46), Qt::AlignCenter,
                   QStringLiteral("LPG / CNG ECU configuration"));
  return logo;
}
} // namespace

TFormSplash::TFormSplash(QWidget *owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("FormSplash"));
  setFixedSize(745, 273);
  setAutoFillBackground(true);
  QPalette background = palette();
  background.setColor(QPalette::Window, Qt::white);
  setPalette(background);
  SplashImageZarvelo = new QLabel(this);
  SplashImageZarvelo->setObjectName(QStringLiteral("SplashImageZarvelo"));
  SplashImageZarvelo->setGeometry(0, 0, 745, 273);
  SplashImageZarvelo->setPixmap(Logo(SplashImageZarvelo->size()));
  SplashImageZarvelo->hide();
  SplashImageSecond = new QLabel(this);
  SplashImageSecond->setObjectName(QStringLiteral("SplashImageSecond"));
  SplashImageSecond->hide();
  if (const QScreen *screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  setWindowOpacity(0.0);
}

void TFormSplash::FadeIn() {
  setFocus();
  int alpha = 0;
  for (int step = 0; step < 127; ++step) {
    alpha += 2;
    setWindowOpacity(alpha / 255.0);
    Pause(10);
  }
  setWindowOpacity(1.0);
  Pause(2000);
}

void TFormSplash::Pause(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  do {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(milliseconds - timer.elapsed(), 0, 10)));
  } while (timer.elapsed() < milliseconds);
}
