#include "dataitems/WriteOrigin.h"

#include <utility>

namespace {
const WriteOrigin *innermost = nullptr;
}

WriteOrigin::WriteOrigin(Kind kind, QString fileName, QStringList chosen)
    : m_kind(kind), m_fileName(std::move(fileName)), m_chosen(std::move(chosen)), m_outer(innermost) {
  innermost = this;
}

WriteOrigin::~WriteOrigin() {
  innermost = m_outer;
}

WriteOrigin::Kind WriteOrigin::Current() {
  return innermost ? innermost->m_kind : Kind::FieldEdit;
}

QString WriteOrigin::CurrentFile() {
  return innermost ? innermost->m_fileName : QString();
}

QStringList WriteOrigin::CurrentChoice() {
  return innermost ? innermost->m_chosen : QStringList();
}
