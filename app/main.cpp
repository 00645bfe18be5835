#include <string>
#include <utility>
#include <vector>

#include <QApplication>

#include "app/program_folders.h"
#include "app/unit_kelvandor.h"
#include "platform/file_system.h"
#include "platform/path_style.h"

int main(int argc, char* argv[]) {
  // Taken before anything can change it: a relative path on the command line
  // means a path below this folder.
  const std::string start_dir = kelvandor::CurrentDir();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvandor"));
  QApplication::setDesktopFileName(QString::fromLatin1(kelvandor::kDesktopFileName));
  QApplication::setWindowIcon(kelvandor::ProgramIcon());

  kelvandor::WindowStart start;
  start.exe_dir = kelvandor::FolderPart(kelvandor::ProgramFilePath());
  // Outlives the window, whose closing empties the private folder it may
  // hold; the folder itself goes last.
  const kelvandor::ProgramFolders folders(start.exe_dir);
  start.locations = folders.locations();
  start.command_line.start_dir = start_dir;
  // QApplication has taken its own options out of argv; the rest are bytes
  // as the system passed them.
  for (int i = 1; i < argc; ++i) start.command_line.arguments.emplace_back(argv[i]);

  kelvandor::TForm1 window(std::move(start));
  window.show();
  return app.exec();
}
