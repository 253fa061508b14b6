#pragma once

#include <QString>
#include <QStringView>
#include <vector>

class RegexMatcher;

// The replacement of a regular-expression hit: \0 to \9 and $0 to $9 stand for the hit and its
// groups, \n for a line break, \\ and $$ for the character itself; every other character stands
// for itself. A group that took no part, or that the pattern lacks, stands for nothing. Line
// breaks come out as LF, which the pane takes as its own.
class ReplaceTemplate {
public:
    // `replacement` as the field holds it, line breaks as CR LF.
    explicit ReplaceTemplate(QStringView replacement);

    // Appends the replacement of the matcher's last hit, its groups read from `source`.
    void expand(const RegexMatcher& hit, QStringView source, QString& out) const;
    QString expanded(const RegexMatcher& hit, QStringView source) const;

    // The groups of many hits' replacements, kept as the hits come, so that their text can be
    // rewritten before the replacements are written, in the same order.
    struct Saved {
        QString text;
        std::vector<int> lengths; // of each group piece of each hit
        qsizetype textRead = 0;
        size_t lengthsRead = 0;
    };
    // Keeps what the replacement of the matcher's last hit copies from `source`; gives its length.
    qsizetype save(const RegexMatcher& hit, QStringView source, Saved& saved) const;
    // Writes the replacement of the next hit saved at `out`.
    void writeSaved(Saved& saved, QChar* out) const;

private:
    struct Piece {
        int group = -1; // -1: the literal text below
        qsizetype from = 0;
        qsizetype length = 0;
    };
    void literal(QChar c);

    QString m_literals;
    std::vector<Piece> m_pieces;
};
