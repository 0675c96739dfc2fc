#include "report/failure.h"

#include "report/messages.h"

namespace failure_route {

thread_local void (*t_showAndExit)(const Failure& failure) = nullptr;
thread_local int t_openSteps = 0;

}  // namespace failure_route

std::string Failure::report() const { return m_words.empty() ? std::string(message::kHeading) : reportText(m_words); }
