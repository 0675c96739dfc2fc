#ifndef VEXIL_TESTS_SUPPORT_FAKE_INSTANCE_ENDPOINT_H_
#define VEXIL_TESTS_SUPPORT_FAKE_INSTANCE_ENDPOINT_H_

// Header only: a small fake, whole in its class.

// An endpoint of the single-instance channel without a system behind it: it
// hands the receiver the messages it was given, one after the other, and
// keeps which of them were accepted, in a record the test holds on to.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/single_instance.h"

class FakeInstanceEndpoint : public InstanceEndpoint {
 public:
  struct Record {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<bool> accepted;  ///< one per message served, in order
    bool closed = false;

    /// Waits until COUNT messages have been served; false after ten seconds.
    bool awaitServed(size_t count) {
      std::unique_lock<std::mutex> hold(lock);
      return changed.wait_for(hold, std::chrono::seconds(10), [&] { return accepted.size() >= count; });
    }
  };

  FakeInstanceEndpoint(std::vector<std::string> messages, std::shared_ptr<Record> record)
      : m_messages(std::move(messages)),
        m_record(std::move(record)) {}

  void serve(const Receiver& receiver, const Logger&) override {
    for (const std::string& message : m_messages) {
      bool accepted = false;
      receiver(message, [&] { accepted = true; });
      std::lock_guard<std::mutex> hold(m_record->lock);
      m_record->accepted.push_back(accepted);
      m_record->changed.notify_all();
    }
    std::unique_lock<std::mutex> hold(m_record->lock);
    m_record->changed.wait(hold, [&] { return m_record->closed; });
  }

  void close() override {
    std::lock_guard<std::mutex> hold(m_record->lock);
    m_record->closed = true;
    m_record->changed.notify_all();
  }

 private:
  std::vector<std::string> m_messages;
  std::shared_ptr<Record> m_record;
};

#endif  // VEXIL_TESTS_SUPPORT_FAKE_INSTANCE_ENDPOINT_H_
