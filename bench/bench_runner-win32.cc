// Times whole runs of two launchers on the same document, interleaved, under the same
// conditions: each is started with CreateProcessW as "<exe>" <document> and timed from
// just before the start to its exit. What it started (the editor) is waited for outside
// the timed span, so one run never overlaps the next.
//   bench_runner.exe <runs> <talvern.exe> <minimal_launcher.exe> <document>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Seconds for one run of `exe` on `document`; negative on failure.
double TimeOneRun(const std::wstring& exe, const std::wstring& document) {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  std::wstring line = L"\"" + exe + L"\" " + document;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &process)) {
    CloseHandle(job);
    return -1;
  }
  AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  WaitForSingleObject(process.hProcess, 30000);
  QueryPerformanceCounter(&end);
  DWORD exit_code = 1;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 3000; ++i) {  // the editor it started, up to 30 s
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                              sizeof(accounting), nullptr);
    if (accounting.ActiveProcesses == 0) break;
    Sleep(10);
  }
  CloseHandle(job);
  if (exit_code != 0) return -1;
  return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: bench_runner <runs> <talvern.exe> <minimal_launcher.exe> <doc>\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  const std::wstring exes[2] = {argv[2], argv[3]};
  const std::wstring document = argv[4];
  std::vector<double> times[2];
  TimeOneRun(exes[0], document);  // warm-up: the first start of each pays for the disk cache
  TimeOneRun(exes[1], document);
  for (int i = 0; i < runs; ++i) {
    // Alternate which goes first, so neither always follows the other.
    for (int k = 0; k < 2; ++k) {
      const int which = (i + k) % 2;
      const double seconds = TimeOneRun(exes[which], document);
      if (seconds < 0) {
        std::fwprintf(stderr, L"run of %ls failed\n", exes[which].c_str());
        return 1;
      }
      times[which].push_back(seconds);
    }
  }
  const double talvern = Median(times[0]), minimal = Median(times[1]);
  std::printf("runs each:              %d (interleaved)\n", runs);
  std::printf("median talvern.exe:     %.1f ms (min %.1f, max %.1f)\n", talvern * 1e3,
              *std::min_element(times[0].begin(), times[0].end()) * 1e3,
              *std::max_element(times[0].begin(), times[0].end()) * 1e3);
  std::printf("median minimal launcher: %.1f ms (min %.1f, max %.1f)\n", minimal * 1e3,
              *std::min_element(times[1].begin(), times[1].end()) * 1e3,
              *std::max_element(times[1].begin(), times[1].end()) * 1e3);
  std::printf("R = %.3f (goal: at most 1.10)\n", talvern / minimal);
  return 0;
}
