#include "windows/TAboutBox.h"

#include <QFrame>
#include <QPushButton>

TAboutBox::TAboutBox(QWidget *owner, const QString &caption, const QString &versionWord,
                     const QString &version, const QPixmap &picture, const QString &comment)
    : QDialog(owner) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(caption);
  setFixedSize(361, 313);
  auto *panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFrameShadow(QFrame::Sunken);
  panel->setGeometry(8, 8, 345, 257);
  AboutImage = new QLabel(panel);
  AboutImage->setObjectName(QStringLiteral("AboutImage"));
  AboutImage->setGeometry(8, 8, 120, 120);
  AboutImage->setPixmap(picture);
  ProductName = new QLabel(caption, panel);
  ProductName->setObjectName(QStringLiteral("ProductName"));
  ProductName->setGeometry(136, 16, 201, 60);
  ProductName->setWordWrap(true);
  QFont bold = ProductName->font();
  bold.setBold(true);
  ProductName->setFont(bold);
  Version = new QLabel(versionWord + QLatin1Char(' ') + VersionText(version) + QLatin1Char(' '), panel);
  Version->setObjectName(QStringLiteral("Version"));
  Version->setGeometry(136, 84, 201, 24);
  Comments = new QLabel(comment, panel);
  Comments->setObjectName(QStringLiteral("Comments"));
  Comments->setGeometry(8, 150, 329, 90);
  Comments->setWordWrap(true);
  auto *ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setGeometry(143, 276, 75, 28);
  ok->setDefault(true);
  // Both Enter and Esc close it: the button is the default and the cancel one.
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString TAboutBox::VersionText(const QString &version) {
  return version.isEmpty() ? QStringLiteral("not available") : version;
}
