#pragma once

#include <QString>
#include <QStringList>

// The Japanese wording of the checker's most frequent messages, from its message key and the
// message's arguments. A message without a wording of ours keeps the checker's English text.
namespace ProblemTexts {

// The Japanese text for `key` with `args` filled in, or `english` when there is none (or when
// the message lacks an argument the wording needs).
QString text(const QString& key, const QStringList& args, const QString& english);

// Whether `key` has a wording of ours (for any arguments).
bool hasJapanese(const QString& key);

} // namespace ProblemTexts
