#pragma once
#include <QDialog>
#include <QLabel>
#include <QPixmap>

// The about box: the product picture, its name, its version and a line
// about what it is for.
class TAboutBox : public QDialog {
  Q_OBJECT
public:
  // versionWord: text 147; version: empty when the program has none compiled
  // in; comment: the line about what the program is for (text 201).
  TAboutBox(QWidget *owner, const QString &caption, const QString &versionWord, const QString &version,
            const QPixmap &picture, const QString &comment = {});

  static QString VersionText(const QString &version);

  QLabel *AboutImage = nullptr;
  QLabel *ProductName = nullptr;
  QLabel *Version = nullptr;
  QLabel *Comments = nullptr;
};
