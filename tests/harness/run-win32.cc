// Runs of a program held in a job object, so a test can wait for everything the program
// started (the stand-ins write their records before they end) and never leaves processes
// behind.
#include "tests/harness/harness.h"

namespace talvern {
namespace e2e {

std::unique_ptr<ProgramRun> ProgramRun::Start(const std::wstring& exe,
                                              const std::wstring& argument_text,
                                              std::wstring* error) {
  std::wstring command_line = L"\"" + exe + L"\"";
  if (!argument_text.empty()) command_line += L" " + argument_text;
  return StartRaw(exe, command_line, error);
}

std::unique_ptr<ProgramRun> ProgramRun::StartRaw(const std::wstring& exe,
                                                 const std::wstring& command_line,
                                                 std::wstring* error) {
  std::unique_ptr<ProgramRun> run(new ProgramRun);
  run->job_ = CreateJobObjectW(nullptr, nullptr);
  if (!run->job_) {
    *error = ErrorText(L"CreateJobObjectW", GetLastError());
    return nullptr;
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(run->job_, JobObjectExtendedLimitInformation, &limits, sizeof(limits));

  std::wstring line = command_line;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info = {};
  // Suspended until it is in the job, so nothing it starts can escape.
  if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &info)) {
    *error = ErrorText(L"CreateProcessW", GetLastError());
    return nullptr;
  }
  if (!AssignProcessToJobObject(run->job_, info.hProcess)) {
    *error = ErrorText(L"AssignProcessToJobObject", GetLastError());
    TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return nullptr;
  }
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  run->process_ = info.hProcess;
  run->pid_ = info.dwProcessId;
  return run;
}

ProgramRun::~ProgramRun() {
  if (process_) CloseHandle(process_);
  if (job_) {
    TerminateJobObject(job_, 1);
    CloseHandle(job_);
  }
}

bool ProgramRun::WaitEnded(DWORD timeout_ms, DWORD* exit_code) {
  if (WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) return false;
  if (exit_code) GetExitCodeProcess(process_, exit_code);
  return true;
}

bool ProgramRun::WaitAllEnded(DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  if (!WaitEnded(timeout_ms)) return false;
  for (;;) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                   sizeof(accounting), nullptr)) {
      return false;
    }
    if (accounting.ActiveProcesses == 0) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(10);
  }
}

bool ProgramRun::Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

RunResult RunToEnd(const std::wstring& exe, const std::wstring& argument_text, DWORD timeout_ms) {
  RunResult result;
  std::unique_ptr<ProgramRun> run = ProgramRun::Start(exe, argument_text, &result.error);
  if (!run) return result;
  result.started = true;
  result.ended = run->WaitAllEnded(timeout_ms);
  if (!run->Running()) GetExitCodeProcess(run->process(), &result.exit_code);
  return result;
}

}  // namespace e2e
}  // namespace talvern
