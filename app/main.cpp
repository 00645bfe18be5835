#include <QApplication>
#include <QScreen>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Kelvandor");
  QApplication::setApplicationDisplayName("Kelvandor");
  QWidget window;
  window.setWindowTitle("Kelvandor for Orlinth Microcontroller Projects V2.1.03");
  window.setFixedSize(563, 305);
  window.move(window.screen()->availableGeometry().center() - window.rect().center());
  window.show();
  return app.exec();
}
