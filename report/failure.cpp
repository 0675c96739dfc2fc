#include "report/failure.h"

#include "report/messages.h"

std::string Failure::report() const { return m_words.empty() ? std::string(message::kHeading) : reportText(m_words); }
