// Times whole runs of two launchers on the same document in pairs, under the same
// conditions: each is started with CreateProcessW as "<exe>" <document> and timed from just
// before the start to its exit; the two runs of a pair follow each other, in alternating
// order. What a launcher started (the editor) is waited for outside the timed span, so one
// run never overlaps the next. Wine's process start varies by tens of milliseconds with the
// machine's load, far more than Talvern adds; a pair sees the same load, so the figures are
// taken per pair: R is the median of the per-pair ratios and the milliseconds Talvern adds
// the median of the per-pair differences, each with a 95 % interval from order statistics
// (no assumption about the shape of the distribution). Beside wall time, the CPU time
// (user + kernel) of each launcher's own process, from GetProcessTimes. Wine 8.0 answers
// GetProcessTimes for another process with the caller's own times; there the times of the
// process's initial thread (GetThreadTimes, read from the kernel at the thread's end) are
// taken instead, which is the whole process for these single-threaded launchers. Both count
// in ticks (15.6 ms on Windows, 10 ms under Wine), so the mean says more than the median.
//   bench_runner.exe <pairs> <talvern.exe> <minimal_launcher.exe> <document> [<pairs.csv>]
// <document> is the launchers' argument text: one path, or several, each in quotes.
// The optional file gets one line per pair: wall and CPU seconds of each launcher.
// With "window" first it times the opening of the settings window instead, from just before
// the start to the window shown (then closed as its close box does), of two copies of
// talvern.exe without arguments: the first run (no Data.ini beside it), which has to find
// Word, against one beside a valid Data.ini:
//   bench_runner.exe window <pairs> <first talvern.exe> <configured talvern.exe> [<pairs.csv>]
// The window's time includes no closing; its CPU time is that of the whole run.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

namespace {

struct Run {
  double wall = 0;          ///< seconds from just before CreateProcessW to the process's exit.
  double cpu = 0;           ///< seconds of user and kernel time of the process itself.
  unsigned long error = 0;  ///< why the run failed: CreateProcessW's error or the exit code.
};

double Seconds(const FILETIME& time) {  // FILETIME counts 100 ns
  return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                             time.dwLowDateTime) *
         1e-7;
}

// Waits (up to 30 s) until every process of the job, the editor included, has ended; the
// caller ends what is left.
void WaitForJob(HANDLE job) {
  for (int i = 0; i < 3000; ++i) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                              sizeof(accounting), nullptr);
    if (accounting.ActiveProcesses == 0) return;
    Sleep(10);
  }
}

// Wine's ntdll exports wine_get_version.
bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// User plus kernel time of the process (its initial thread under Wine, see above).
double CpuSeconds(const PROCESS_INFORMATION& process) {
  FILETIME created, exited, kernel = {}, user = {};
  static const bool wine = UnderWine();
  if (wine) {
    GetThreadTimes(process.hThread, &created, &exited, &kernel, &user);
  } else {
    GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user);
  }
  return Seconds(kernel) + Seconds(user);
}

// A started launcher and everything it starts, held in a job.
struct Started {
  PROCESS_INFORMATION process = {};
  HANDLE job = nullptr;
  LARGE_INTEGER start;  ///< the performance counter right before CreateProcessW.
};

// Starts "<exe>" followed by `arguments` (unless empty); false with run->error on failure.
bool StartInJob(const std::wstring& exe, const std::wstring& arguments, Started* started,
                Run* run) {
  started->job = CreateJobObjectW(nullptr, nullptr);
  std::wstring line = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  QueryPerformanceCounter(&started->start);
  if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &started->process)) {
    run->error = GetLastError();
    CloseHandle(started->job);
    return false;
  }
  AssignProcessToJobObject(started->job, started->process.hProcess);
  ResumeThread(started->process.hThread);
  return true;
}

// Seconds from the start to the performance counter now.
double SecondsSince(const Started& started) {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - started.start.QuadPart) / frequency.QuadPart;
}

// Waits (up to 30 s) for the launcher's end, ends whatever is left of the job and takes
// its CPU time and exit code (run->error); true when it exited with 0.
bool EndRun(Started* started, Run* run) {
  const bool ended = WaitForSingleObject(started->process.hProcess, 30000) == WAIT_OBJECT_0;
  // A launcher that hangs (a message box nobody answers: Wine now and then fails to start a
  // process and Talvern says so) is ended, with whatever it started, so that it neither
  // outlives the benchmark nor holds its output open.
  if (!ended) TerminateJobObject(started->job, 1);
  DWORD exit_code = 1;
  GetExitCodeProcess(started->process.hProcess, &exit_code);
  run->cpu = CpuSeconds(started->process);
  CloseHandle(started->process.hThread);
  CloseHandle(started->process.hProcess);
  WaitForJob(started->job);
  TerminateJobObject(started->job, 1);
  CloseHandle(started->job);
  run->error = exit_code;
  return exit_code == 0;
}

// One run of `exe` on `document`, timed to its end; false when it could not start
// (run->error: why) or did not exit with 0 (run->error: its exit code).
bool TimeOneRun(const std::wstring& exe, const std::wstring& document, Run* run) {
  Started started;
  if (!StartInJob(exe, document, &started, run)) return false;
  WaitForSingleObject(started.process.hProcess, 30000);
  run->wall = SecondsSince(started);
  return EndRun(&started, run);
}

struct WindowSearch {
  DWORD pid;
  HWND window = nullptr;  ///< a visible window of the process.
  bool box = false;       ///< it is a message box (or another dialog).
};

BOOL CALLBACK FindShownWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[16] = {};
  GetClassNameW(hwnd, name, 16);
  search->window = hwnd;
  search->box = lstrcmpW(name, L"#32770") == 0;
  return FALSE;
}

// One run of `exe` without arguments, timed until a window of it shows (polled every
// millisecond); the window then gets WM_CLOSE, as from its close box. False when no window
// came within 60 s, a message box came first (run->error 1) or the exit code was not 0.
bool TimeToWindow(const std::wstring& exe, const std::wstring&, Run* run) {
  Started started;
  if (!StartInJob(exe, L"", &started, run)) return false;
  WindowSearch search = {GetProcessId(started.process.hProcess)};
  while (!search.window && SecondsSince(started) < 60 &&
         WaitForSingleObject(started.process.hProcess, 0) == WAIT_TIMEOUT) {
    EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.window) Sleep(1);
  }
  run->wall = SecondsSince(started);
  if (!search.window || search.box) TerminateJobObject(started.job, 1);
  if (search.window && !search.box) PostMessageW(search.window, WM_CLOSE, 0, 0);
  return EndRun(&started, run) && search.window && !search.box;
}

// What is timed, and the names the report gives the two launchers.
struct Mode {
  bool (*time_run)(const std::wstring& exe, const std::wstring& argument, Run* run);
  const char* names[2];
  const char* adder;  ///< what the first launcher's extra time is called.
  const char* csv_header;
};

const Mode kDispatch = {TimeOneRun,
                        {"talvern.exe", "minimal launcher"},
                        "Talvern",
                        "talvern_wall,minimal_wall,talvern_cpu,minimal_cpu"};
const Mode kWindow = {TimeToWindow,
                      {"first run", "valid Data.ini"},
                      "The first run",
                      "first_wall,configured_wall,first_cpu,configured_cpu"};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Mean(const std::vector<double>& values) {
  return std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

// The 95 % interval of the median of `values` from order statistics: the k-th smallest and
// the k-th largest value, k the largest rank with P(Binomial(n, 1/2) < k) <= 2.5 %. False
// when n is too small for any (n < 6).
bool MedianInterval(std::vector<double> values, double* low, double* high) {
  const std::size_t n = values.size();
  double p = std::pow(0.5, static_cast<double>(n));  // P(Binomial = 0)
  double below = 0;                                  // P(Binomial < k)
  std::size_t k = 0;
  while (k < n / 2 && below + p <= 0.025) {
    below += p;
    ++k;
    p = p * static_cast<double>(n - k + 1) / static_cast<double>(k);
  }
  if (k == 0) return false;
  std::sort(values.begin(), values.end());
  *low = values[k - 1];
  *high = values[n - k];
  return true;
}

// "<label><median><unit>, 95 % interval <low> to <high><unit>", the values times `scale`
// with `digits` decimals.
void PrintWithInterval(const char* label, const std::vector<double>& values, double scale,
                       int digits, const char* unit) {
  std::printf("%s%.*f%s, 95 %% interval ", label, digits, Median(values) * scale, unit);
  double low = 0, high = 0;
  if (MedianInterval(values, &low, &high)) {
    std::printf("%.*f to %.*f%s\n", digits, low * scale, digits, high * scale, unit);
  } else {
    std::printf("(too few pairs)\n");
  }
}

struct Samples {
  std::vector<double> wall[2], cpu[2];  ///< [0] talvern.exe, [1] the minimal launcher.
  std::vector<double> ratios, added;    ///< per pair: wall[0] / wall[1], wall[0] - wall[1].
  int failed_runs = 0;                  ///< runs that failed; their pairs were run again.
};

// Runs the pairs (after one warm-up run of each: the first start pays for the disk cache).
// Under load Wine now and then fails to start a process; such a pair is run again, but
// more than 2 % failed runs (at least 4) end the benchmark: then something is wrong. Writes
// each pair to `csv` unless it is null.
bool RunPairs(const Mode& mode, int pairs, const std::wstring (&exes)[2],
              const std::wstring& document, FILE* csv, Samples* out) {
  Run runs[2];
  mode.time_run(exes[0], document, &runs[0]);
  mode.time_run(exes[1], document, &runs[1]);
  for (int i = 0; i < pairs;) {
    bool ran = true;
    for (int k = 0; k < 2 && ran; ++k) {  // alternate which goes first
      const int which = (i + k) % 2;
      ran = mode.time_run(exes[which], document, &runs[which]);
      if (!ran) {
        std::fwprintf(stderr, L"pair %d: the run of %ls failed (%lu)\n", i + 1, exes[which].c_str(),
                      runs[which].error);
      }
    }
    if (!ran) {
      if (++out->failed_runs > std::max(3, pairs / 50)) return false;
      continue;
    }
    for (int which = 0; which < 2; ++which) {
      out->wall[which].push_back(runs[which].wall);
      out->cpu[which].push_back(runs[which].cpu);
    }
    if (csv) {
      std::fprintf(csv, "%.6f,%.6f,%.6f,%.6f\n", runs[0].wall, runs[1].wall, runs[0].cpu,
                   runs[1].cpu);
    }
    out->ratios.push_back(runs[0].wall / runs[1].wall);
    out->added.push_back(runs[0].wall - runs[1].wall);
    ++i;
  }
  return true;
}

void Report(const Mode& mode, const Samples& s) {
  const std::size_t pairs = s.ratios.size();
  std::printf(
      "pairs:                      %zu (interleaved, order alternating; %d failed "
      "runs, their pairs run again)\n",
      pairs, s.failed_runs);
  for (int which = 0; which < 2; ++which) {
    std::printf("wall, %-21s median %.1f ms\n", (std::string(mode.names[which]) + ":").c_str(),
                Median(s.wall[which]) * 1e3);
  }
  PrintWithInterval("R (median of pair ratios): ", s.ratios, 1, 3, "");
  double low = 0, high = 0;
  if (MedianInterval(s.ratios, &low, &high)) {
    // The interval narrows with the square root of the number of pairs. Two runs whose R
    // differs by 3 % differ significantly (95 %) when each half-width is 3 % / sqrt(2).
    const double half = (high - low) / 2 / Median(s.ratios);
    const double wanted = 0.03 / std::sqrt(2.0);
    std::printf(
        "interval half-width: %.1f %% of R; to see a 3 %% change between two runs "
        "(half-width %.1f %%): about %.0f pairs at this spread\n",
        half * 100, wanted * 100, pairs * (half / wanted) * (half / wanted));
  }
  const std::string adds = std::string(mode.adder) + " adds (median of pair differences): ";
  PrintWithInterval(adds.c_str(), s.added, 1e3, 1, " ms");
  for (int which = 0; which < 2; ++which) {
    std::printf("CPU (user + kernel), %s: mean %.1f ms, median %.1f ms\n", mode.names[which],
                Mean(s.cpu[which]) * 1e3, Median(s.cpu[which]) * 1e3);
  }
  std::printf("CPU taken from: %s\n",
              UnderWine() ? "GetThreadTimes of the initial thread (Wine)" : "GetProcessTimes");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // The window's opening takes no document: "window" stands where the pairs would be.
  const bool window = argc > 1 && lstrcmpW(argv[1], L"window") == 0;
  const Mode& mode = window ? kWindow : kDispatch;
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr,
                 "usage: bench_runner <pairs> <talvern.exe> <minimal_launcher.exe> <doc> "
                 "[<pairs.csv>]\n"
                 "       bench_runner window <pairs> <first talvern.exe> <configured "
                 "talvern.exe> [<pairs.csv>]\n");
    return 2;
  }
  const int at = window ? 2 : 1;
  const int pairs = std::max(1, _wtoi(argv[at]));
  const std::wstring exes[2] = {argv[at + 1], argv[at + 2]};
  FILE* csv = argc == 6 ? _wfopen(argv[5], L"w") : nullptr;
  if (csv) std::fprintf(csv, "%s\n", mode.csv_header);
  Samples samples;
  const bool ran = RunPairs(mode, pairs, exes, window ? L"" : argv[4], csv, &samples);
  if (csv) std::fclose(csv);
  if (!ran) return 1;
  Report(mode, samples);
  return 0;
}
