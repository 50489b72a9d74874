#include "support/run_batch.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support/temp_dir.h"

#ifndef SKERROW_BATCH_PATH
#define SKERROW_BATCH_PATH "skerrow-batch"
#endif

namespace skerrow::testing {

TBatchResult RunBatch(const std::vector<std::string>& args, const std::string& cwd) {
  TempDir capture;
  const std::string out = capture.File("out"), err = capture.File("err");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = ::open("/dev/null", O_RDONLY);
    if (o < 0 || e < 0 || in < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(o, 1);
    ::dup2(e, 2);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(127);
    std::vector<char*> argv;
    std::string program = SKERROW_BATCH_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (auto& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  TBatchResult result;
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.Out = ReadFile(out);
  result.Err = ReadFile(err);
  return result;
}

}  // namespace skerrow::testing
