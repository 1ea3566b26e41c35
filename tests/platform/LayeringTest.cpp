#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// The domain core runs without windows (the command-line tool uses it): no
// file of it may include a QtWidgets header.
TEST(Layering, CoreNeverIncludesWidgets) {
  const QRegularExpression widgets(QStringLiteral(R"(#\s*include\s*[<"](QtWidgets|QWidget|QApplication|QMessageBox|QDialog|QMainWindow|QLabel|QLineEdit|QComboBox|QCheckBox|QProgressBar|QPushButton))"));
  int files = 0;
  for (const char *folder : {"platform", "dataitems", "storage", "translator", "ecuconfig", "history", "cli"}) {
    QDirIterator it(QStringLiteral(NOX_SOURCE_DIR "/src/") + QLatin1String(folder), {"*.h", "*.cpp"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      QFile file(it.next());
      ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
      ++files;
      const QString text = QString::fromUtf8(file.readAll());
      EXPECT_FALSE(widgets.match(text).hasMatch()) << file.fileName().toStdString();
    }
  }
  EXPECT_GT(files, 40) << "the source folders were found";
}

// Arrows point one way: platform at the bottom, storage and the translator
// on it, data items on those, the data module on top.
TEST(Layering, NoFolderIncludesOneAboveIt) {
  const QList<std::pair<const char *, QStringList>> rules{
      {"platform", {"storage", "translator", "dataitems", "ecuconfig", "history", "cli"}},
      {"storage", {"translator", "dataitems", "ecuconfig", "history", "cli"}},
      {"translator", {"storage", "dataitems", "ecuconfig", "history", "cli"}},
      {"dataitems", {"translator", "ecuconfig", "history", "cli"}},
      {"ecuconfig", {"history", "cli"}},
      {"history", {"cli"}}};
  for (const auto &[folder, above] : rules) {
    const QRegularExpression upward(QStringLiteral(R"(#\s*include\s*"(%1)/)").arg(above.join(QLatin1Char('|'))));
    QDirIterator it(QStringLiteral(NOX_SOURCE_DIR "/src/") + QLatin1String(folder), {"*.h", "*.cpp"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      QFile file(it.next());
      ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
      const auto match = upward.match(QString::fromUtf8(file.readAll()));
      EXPECT_FALSE(match.hasMatch()) << file.fileName().toStdString() << ": " << match.captured(0).toStdString();
    }
  }
}

} // namespace
