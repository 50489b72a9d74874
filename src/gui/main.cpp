// skerrow: the window in which a motocross game's files are taken apart and put back.
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "gui/main_window.h"
#include "gui/qt_toolkit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationVersion(QStringLiteral(SKERROW_VERSION));
  try {
    skerrow::TQtToolkit toolkit;
    skerrow::TMainWindow window(toolkit);
    window.show();
    app.exec();
  } catch (const std::exception& error) {
    // Outside any command: shown as the error display shows it, then the program ends.
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(),
                          skerrow::FromBytes(skerrow::TMainForm::ErrorDisplayText(error.what())));
  }
  return 0;
}
