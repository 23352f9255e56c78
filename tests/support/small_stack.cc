// A thread with a small stack, made with pthreads: std::thread cannot choose its stack's size.
#include "small_stack.h"

#include <pthread.h>

bool RunWithSmallStack(const std::function<void()>& work) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 64 * 1024);
  pthread_t thread;
  auto body = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  void* argument = const_cast<std::function<void()>*>(&work);
  const bool started = pthread_create(&thread, &attributes, body, argument) == 0;
  if (started) pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return started;
}
