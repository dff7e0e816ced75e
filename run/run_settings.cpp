// [Run] through TIniFile, one key per setting.
#include "run/run_settings.h"

#include "platform/ini_file.h"

namespace torvane {

const char* KindName(TRunKindChoice kind) {
  switch (kind) {
    case rkBootImage:
      return "boot";
    case rkDosCom:
      return "com";
    case rkAuto:
      break;
  }
  return "auto";
}

TRunSettings ReadRunSettings(const std::string& settings_file) {
  const TIniFile ini(settings_file);
  TRunSettings settings;
  const auto path = [&](const char* key, const char* fallback) {
    std::string value = ini.ReadString(kRunSection, key, "");
    return value.empty() ? std::string(fallback) : value;
  };
  settings.QemuPath = path(kQemuKey, kDefaultQemu);
  settings.DosBoxPath = path(kDosBoxKey, kDefaultDosBox);
  settings.QemuArguments = ini.ReadString(kRunSection, kQemuArgumentsKey, "");
  settings.DosBoxArguments = ini.ReadString(kRunSection, kDosBoxArgumentsKey, "");
  const int memory = ini.ReadInteger(kRunSection, kMemoryKey, kDefaultMemoryMb);
  settings.MemoryMb = memory >= 1 && memory <= kMaxMemoryMb ? memory : kDefaultMemoryMb;
  const std::string display = ini.ReadString(kRunSection, kDisplayKey, "");
  settings.ShowDisplay = display != "0";
  const std::string kind = ini.ReadString(kRunSection, kKindKey, "");
  for (const TRunKindChoice k : {rkAuto, rkBootImage, rkDosCom}) {
    if (kind == KindName(k)) {
      settings.Kind = k;
    }
  }
  return settings;
}

void WriteRunSettings(const std::string& settings_file, const TRunSettings& settings) {
  TIniFile ini(settings_file);
  const TRunSettings old = ReadRunSettings(settings_file);
  const auto write = [&](const char* key, const std::string& value, bool changed) {
    if (changed) {
      ini.WriteString(kRunSection, key, value);
    }
  };
  write(kQemuKey, settings.QemuPath, settings.QemuPath != old.QemuPath);
  write(kDosBoxKey, settings.DosBoxPath, settings.DosBoxPath != old.DosBoxPath);
  write(kQemuArgumentsKey, settings.QemuArguments, settings.QemuArguments != old.QemuArguments);
  write(kDosBoxArgumentsKey, settings.DosBoxArguments,
        settings.DosBoxArguments != old.DosBoxArguments);
  write(kMemoryKey, std::to_string(settings.MemoryMb), settings.MemoryMb != old.MemoryMb);
  write(kDisplayKey, settings.ShowDisplay ? "1" : "0", settings.ShowDisplay != old.ShowDisplay);
  write(kKindKey, KindName(settings.Kind), settings.Kind != old.Kind);
}

}  // namespace torvane
