#pragma once

#include <QObject>

class TstTags : public QObject {
    Q_OBJECT
private slots:
    // tst_insert.cpp
    void insertTag_data();
    void insertTag();
    void insertTagMakesTwoEdits();
    void insertTagFocusesTheTextBox();
    void simpleCommands_data();
    void simpleCommands();
    void menuTree();
    void formBranchCannotBeChosen();

    // tst_prompted.cpp
    void promptedCommands_data();
    void promptedCommands();
    void imageHeightSuggestion_data();
    void imageHeightSuggestion();

    // tst_filters.cpp
    void styleFilters_data();
    void styleFilters();
    void filtersLeaveTheFocus();
    void shortestDecimal_data();
    void shortestDecimal();

    // tst_handoff.cpp
    void colorHandOff_data();
    void colorHandOff();
    void declinedColorOpensNoTool();
};
