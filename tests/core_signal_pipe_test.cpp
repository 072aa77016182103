// The end signals of the window: what reaches the pipe, what stays ignored,
// and ending as the signal would have.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/SignalPipe.h"

TEST(SignalPipe, EndSignalsArriveThroughThePipeAndIgnoredOnesStayIgnored) {
  struct sigaction before {};
  ::sigaction(SIGHUP, nullptr, &before);
  ::signal(SIGHUP, SIG_IGN);  // as under nohup
  const int fd = platform::CatchEndSignals();
  ASSERT_GE(fd, 0);
  EXPECT_EQ(platform::CatchEndSignals(), fd);
  EXPECT_EQ(platform::TakeEndSignal(fd), 0);  // nothing waiting, and no wait
  ::raise(SIGTERM);
  ::raise(SIGHUP);
  ::raise(SIGINT);
  EXPECT_EQ(platform::TakeEndSignal(fd), SIGTERM);
  EXPECT_EQ(platform::TakeEndSignal(fd), SIGINT);
  EXPECT_EQ(platform::TakeEndSignal(fd), 0);
  platform::ReleaseEndSignals();
  struct sigaction now {};
  ::sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
  ::sigaction(SIGHUP, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  ::sigaction(SIGHUP, &before, nullptr);
}

TEST(SignalPipe, EndingAsTheSignalLooksLikeTheSignalToTheParent) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::CatchEndSignals();  // caught, as in the window
    platform::EndAsSignal(SIGINT);
    ::_exit(3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}
