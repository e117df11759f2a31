// The simulator's aircraft, checklist assignment and the kneeboard pages.
#include <stdlib.h>

#include <charconv>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <fstream>

#include "aircraft/tree_keys.h"
#include "app/program.h"
#include "common/text.h"
#include "tool.h"

namespace talvane::tool {

namespace {

std::string Field(const std::string& ansi) {
  std::string t = Utf8(Trim(ansi));
  for (char& c : t)
    if (c == '\t') c = ' ';
  return t;
}

int AircraftList(Invocation& inv) {
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kAircraftData)) return 1;
  for (std::size_t m = 0; m < p.aircraft.manufacturers.size(); ++m) {
    const auto& man = p.aircraft.manufacturers[m];
    for (std::size_t t = 0; t < man.types.size(); ++t) {
      const auto& type = man.types[t];
      for (std::size_t v = 0; v < type.variations.size(); ++v) {
        const auto& var = type.variations[v];
        Out(TreeNodeKey(static_cast<int>(m), static_cast<int>(t), static_cast<int>(v)) + "\t" +
            Field(man.levelName.str()) + "\t" + Field(type.levelName.str()) + "\t" + Field(var.levelName.str()) +
            "\t" + Field(var.title.str()) + "\t" + ToDecimal(var.assignmentIndex) + "\t" +
            var.textureFolder.string() + "\t" + var.kneeboardPage.string());
      }
    }
  }
  return Status(inv, true);
}

int Assign(Invocation& inv) {
  bool write = false;
  if (inv.args.size() == 3) {
    if (inv.args[2] != "--write") return UsageError("the third argument can only be --write");
    write = true;
  }
  const TreeSelection sel = DecodeTreeNodeKey(inv.args[0]);
  if (!sel.IsVariation()) return UsageError(inv.args[0] + " is not the key of a variation (see `aircraft`)");

  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kAircraftData)) return 1;
  if (!p.aircraft.Variation(sel.manufacturer, sel.type, sel.variation))
    return UsageError("no aircraft has the key " + inv.args[0] + " (see `aircraft`)");

  std::optional<std::string> checklist;
  if (inv.args[1] != "-") {
    if (!p.Load(kChecklistNamesData)) return 1;
    const std::string wanted = Utf8ToCp1252(inv.args[1]);
    for (const auto& n : p.checklists.ChecklistNames)
      if (SameName(n, wanted)) {
        checklist = Trim(n);
        break;
      }
    if (!checklist) return UsageError("no checklist named `" + inv.args[1] + "` (see `checklist-names`)");
  }

  // The page's command script is made from the catalogue.
  if (write && checklist && !p.Load(kCategoryData)) return 1;
  KneeboardSources sources = p.kneeboardSources();
  const int rc = AssignChecklist(inv.ctx, p.aircraft, p.assignments, sources, sel, checklist, write);
  const int saved = SaveChecklistAssignments(inv.ctx, p.assignments);
  return Status(inv, rc == 0 && saved == 0);
}

int KneeboardUpdate(Invocation& inv) {
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kAircraftData | kCategoryData)) return 1;
  KneeboardSources sources = p.kneeboardSources();
  return Status(inv, UpdateAllKneeboardChecklists(inv.ctx, p.aircraft, p.assignments, sources));
}

int KneeboardRestore(Invocation& inv) {
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kRestoreStartData)) return 1;
  return RestoreAllKneeboardChecklists(inv.ctx, p.aircraft, p.assignments) ? 0 : 1;
}

// --- bench-aircraft -------------------------------------------------------

constexpr const char* kBenchMakers[] = {"Cessna",   "Piper",   "Beechcraft", "Boeing",   "Airbus",
                                        "Mooney",   "Cirrus",  "Diamond",    "Embraer",  "Bombardier",
                                        "de Havilland", "Grumman", "Lockheed", "Douglas", "Socata"};

std::string BenchConfig(int i) {
  const std::string maker = kBenchMakers[static_cast<std::size_t>(i) % std::size(kBenchMakers)];
  const std::string type = "Model " + std::to_string(100 + i % 97);
  std::string cfg =
      "// Generated aircraft " + std::to_string(i) + "\r\n\r\n[General]\r\natc_type=" + maker +
      "\r\natc_model=M" + std::to_string(i % 97) + "\r\nEditable=1\r\nperformance=Cruise 140 knots\r\n\r\n";
  for (int n = 0; n < 3; ++n) {
    cfg += "[fltsim." + std::to_string(n) + "]\r\ntitle\t\t= " + maker + " " + type + " #" + std::to_string(i) +
           " Paint" + std::to_string(n + 1) + "\r\nsim=model\r\nmodel=\r\npanel=\r\nsound=\r\ntexture=" +
           std::to_string(n + 1) + "\r\nkb_checklists=Model_check\r\nkb_reference=Model_ref\r\natc_id=N" +
           std::to_string(10000 + i) + "\r\nui_manufacturer=\"" + maker + "\"\r\nui_type=" + type +
           "\r\nui_variation=Folder " + std::to_string(i) + " Paint " + std::to_string(n + 1) +
           "\r\ndescription=A generated aircraft for timing the discovery.\r\n\r\n";
  }
  cfg += "[WEIGHT_AND_BALANCE]\r\nmax_gross_weight=2550\r\nempty_weight=1454\r\nreference_datum_position=0,0,0\r\n"
         "empty_weight_CG_position=-1.7,0,0\r\n\r\n[flight_tuning]\r\ncruise_lift_scalar=1.0\r\nparasite_drag_scalar"
         "=1.0\r\ninduced_drag_scalar=1.0\r\n\r\n[views]\r\neyepoint=-1.5,-0.7,1.4\r\n";
  return cfg;
}

// `count` generated aircraft folders below the simulator folder's
// SimObjects\Airplanes, as the timing commands use them.
void WriteBenchAircraft(const fs::path& simulator, int count) {
  const fs::path airplanes = simulator / "SimObjects" / "Airplanes";
  for (int i = 0; i < count; ++i) {
    const fs::path folder = airplanes / ("Aircraft_" + std::to_string(i));
    fs::create_directories(folder);
    for (int n = 1; n <= 3; ++n) fs::create_directories(folder / ("texture." + std::to_string(n)));
    // Plain writes: a throw-away tree needs no flush to disk.
    std::ofstream cfg(folder / (i % 2 ? "Aircraft.cfg" : "aircraft.cfg"), std::ios::binary);
    cfg << BenchConfig(i);
    std::ofstream air(folder / "Model.air", std::ios::binary);
    air << "stand-in";
    if (!cfg || !air) throw std::runtime_error("cannot write the aircraft folders in " + airplanes.string());
  }
}

int ParseFolderCount(const std::vector<std::string>& args, std::size_t at, int& count) {
  if (args.size() <= at) return 0;
  const std::string& s = args[at];
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), count);
  if (ec != std::errc() || p != s.data() + s.size() || count < 1 || count > 100000)
    return UsageError("N is a number of aircraft folders from 1 to 100000");
  return 0;
}

int MakeAircraftTree(Invocation& inv) {
  int count = 5000;
  if (const int bad = ParseFolderCount(inv.args, 1, count)) return bad;
  WriteBenchAircraft(inv.args[0], count);
  Out("make-aircraft-tree: " + std::to_string(count) + " aircraft folders below " +
      (fs::path(inv.args[0]) / "SimObjects" / "Airplanes").string());
  return 0;
}

int BenchAircraft(Invocation& inv) {
  int count = 5000;
  if (const int bad = ParseFolderCount(inv.args, 0, count)) return bad;
  ScratchFolder scratch;
  const fs::path& root = scratch.path();
  const fs::path program = root / "FSX" / "Brevantix" / "Talvane";
  fs::create_directories(program);
  WriteBenchAircraft(root / "FSX", count);

  RecordingUserInterface ui;
  Context ctx{program, ui};
  const std::vector<std::string> paths = {"SimObjects\\Airplanes"};
  double best = 0, first = 0, cpu = 0;
  std::size_t variations = 0, manufacturers = 0;
  constexpr int kRuns = 3;
  for (int run = 0; run < kRuns; ++run) {
    AssignmentList assignments;
    AircraftTree tree;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    LoadFSXAircraft(ctx, paths, assignments, tree);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    if (run == 0) first = ms;
    if (run == 0 || ms < best) {
      best = ms;
      cpu = cpuMs;
    }
    variations = assignments.records.size();
    manufacturers = tree.manufacturers.size();
  }
  char line[256];
  std::snprintf(line, sizeof line,
                "bench-aircraft: %d aircraft folders, %zu variations, %zu manufacturers: LoadFSXAircraft %.1f ms "
                "(%.1f ms of processor time; best of %d, first %.1f ms)",
                count, variations, manufacturers, best, cpu, kRuns, first);
  Out(line);
  return 0;
}

const Registrar kRegistrar({
    {"aircraft", "", "list the simulator's aircraft: key, names, title, record, texture folder, kneeboard page", 0,
     0, AircraftList},
    {"assign", "KEY CHECKLIST [--write]",
     "assign a checklist (- to restore the default) to the aircraft KEY and save the assignments", 2, 3, Assign},
    {"kneeboard-update", "", "write the kneeboard page of every assigned aircraft not yet written", 0, 0,
     KneeboardUpdate},
    {"kneeboard-restore", "", "put every written aircraft's original kneeboard page back", 0, 0, KneeboardRestore},
    {"make-aircraft-tree", "SIMULATOR_FOLDER [N]",
     "write N generated aircraft folders (default 5000) below SIMULATOR_FOLDER/SimObjects/Airplanes", 1, 2,
     MakeAircraftTree},
    {"bench-aircraft", "[N]", "time the aircraft discovery on N generated aircraft folders (default 5000)", 0, 1,
     BenchAircraft},
});

}  // namespace

}  // namespace talvane::tool
