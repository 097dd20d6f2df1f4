#include "Driver.h"

#include <tlhelp32.h>

#include <vector>

namespace kit {

namespace {

// Fallback when the job could not take the process: ends its descendants
// found by parent id, deepest first, then the process itself.
void KillDescendants(DWORD pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    std::vector<DWORD> children;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == pid && entry.th32ProcessID != pid)
            children.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    for (DWORD child : children) {
        KillDescendants(child);
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, child)) {
            TerminateProcess(h, 1);
            CloseHandle(h);
        }
    }
}

// Wine closes a desktop shortly after the last process with a window on it
// has ended, and a program started meanwhile gets no windows. A hidden
// window of the test process keeps the desktop open for the whole test.
void HoldDesktop()
{
    static HWND holder = CreateWindowA("STATIC", "kit driver", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    (void)holder;
}

} // namespace

Program::~Program()
{
    KillTree();
    if (process_ != nullptr)
        CloseHandle(process_);
    if (job_ != nullptr)
        CloseHandle(job_);
}

bool Program::Start(const std::string& exePath, const std::string& commandLine, const std::string& workDir)
{
    if (process_ != nullptr)
        return false;
    HoldDesktop();
    job_ = CreateJobObjectA(nullptr, nullptr);
    if (job_ != nullptr) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exePath.empty() ? nullptr : exePath.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup, &info))
        return false;
    if (job_ != nullptr && !AssignProcessToJobObject(job_, info.hProcess)) {
        CloseHandle(job_);
        job_ = nullptr;
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
}

bool Program::Running() const
{
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Program::WaitExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode != nullptr)
        GetExitCodeProcess(process_, exitCode);
    return true;
}

void Program::KillTree()
{
    if (job_ != nullptr)
        TerminateJobObject(job_, 1);
    else if (pid_ != 0)
        KillDescendants(pid_);
    if (Running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
}

} // namespace kit
