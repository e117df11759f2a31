#include "qt_test_support.h"

#include "common/ini.h"
#include "platform/instance_lock.h"

namespace talvane::test {

void CopyProgramFolder(const fs::path& to, bool withMedia) {
  fs::create_directories(to);
  for (const auto& e : fs::directory_iterator(TALVANE_PROGRAM_DIR)) {
    const fs::path target = to / e.path().filename();
    if (e.path().extension() == ".so")
      fs::create_symlink(e.path(), target);
    else if (withMedia || e.path().filename() != "Media")
      fs::copy(e.path(), target, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
}

ProgramUnderTest::ProgramUnderTest(bool withMedia, bool installed) {
  CopyProgramFolder(program, withMedia);
  if (installed) WriteFile(fsx / "fsx.exe", "stand-in");
  WriteFile(fsx / "fsx.cfg", "[MAIN]\r\nSimObjectPaths.0=SimObjects\\Airplanes\r\n");
  fs::create_directories(fsx / "SimObjects" / "Airplanes");
  WriteIniValue("Main", "PathFSXConfig", (fsx / "fsx.cfg").string(), program / "TV_Information.cfg");
  // Asked once already: the kneeboard question stays away unless a test wants it.
  WriteIniValue("Main", "checklistBackups", "0", program / "TV_Information.cfg");
  main = std::make_unique<ui::ProgramMain>(
      program, probe,
      [this](const fs::path&, const std::string& exe) {
        started.push_back(exe);
        return true;
      },
      [this] { ++exits; });
}

ProgramUnderTest::~ProgramUnderTest() = default;

StartOutcome ProgramUnderTest::Start(std::string_view commandLine) {
  lock = std::make_unique<platform::FileInstanceLock>(program);
  return main->Start(commandLine, *lock);
}

DialogAnswerer::DialogAnswerer(ui::ProgramMain& m, bool ok) {
  timer_.setInterval(20);
  QObject::connect(&timer_, &QTimer::timeout, [this, &m, ok] {
    if (!m.program.IsLoaded(Form::frm_Message)) return;
    ui::MessageForm* form = m.ui.messageForm();
    if (!form->isVisible()) return;
    Message shown;
    shown.title = ui::ToAnsi(form->findChild<QLabel*>("lbl_Title")->text());
    shown.text = ui::ToAnsi(form->text->text());
    seen.push_back(shown);
    (ok ? form->ok : form->cancel)->Click();
  });
  timer_.start();
}

}  // namespace talvane::test
