// What the date-list and calendar fuzzers check on every input: a file is
// either refused with a line and a reason and adds nothing, or read into
// rules that only name real days and printable texts, and that the agenda
// and the page can use.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "agenda/agenda.h"
#include "agenda/agenda_file.h"
#include "app/create_page.h"
#include "page/day_page.h"

namespace trevalda::fuzz {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

inline void CheckAgendaFile(const Result<AgendaFile>& file) {
  if (!file) {
    Check(!file.message().empty());
    return;
  }
  Check(file.message().empty());
  Check(file->rules.size() <= kMaxEntriesPerFile);
  Agenda agenda;
  agenda.AddNationalHolidays();
  for (const AgendaRule& rule : file->rules) {
    Check(!rule.entry.text.empty());
    Check(std::none_of(rule.entry.text.begin(), rule.entry.text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
    Check(rule.spanDays >= 1 && rule.spanDays <= AgendaRule::kMaxSpanDays);
    Check(rule.interval >= 1);
    switch (rule.kind) {
      case AgendaRule::Kind::kOnce:
        Check(IsValidPageDate(rule.date));
        break;
      case AgendaRule::Kind::kYearly:
        Check(IsValidPageDate({rule.date.day, rule.date.month, 2000}));
        Check(rule.date.year >= 1 && rule.lastYear >= rule.date.year && rule.lastYear <= 9999);
        break;
      case AgendaRule::Kind::kEaster:
        Check(rule.easterOffset >= -kMaxEasterDaysBefore &&
              rule.easterOffset <= kMaxEasterDaysAfter);
        break;
      case AgendaRule::Kind::kEvent:
        Check(rule.event != nullptr && !rule.event->text.empty());
        Check(IsValidPageDate(rule.date));
        break;
    }
    agenda.Add(rule);
  }
  // A few of the rules' own days, as the page would show them.
  InitializeTables();
  for (std::size_t i = 0; i < file->rules.size() && i < 16; ++i) {
    const AgendaRule& rule = file->rules[i];
    PageDate date = rule.date;
    if (rule.kind == AgendaRule::Kind::kEaster) date = {5, 4, 2026};
    if (!IsValidPageDate(date)) continue;
    const std::vector<AgendaEntry> entries = agenda.EntriesFor(date);
    // An event's day may move with the page's zone; date lists stay put.
    if (rule.skip.empty() && rule.kind != AgendaRule::Kind::kEvent) {
      Check(RuleCovers(rule, date) || rule.kind == AgendaRule::Kind::kEaster);
    }
    DayPageContent content;
    content.entries = entries;
    const DayPageTexts texts = MakeDayPageTexts(date, content);
    Check(texts.entryLines.size() <= kMaxEntryLines);
    Check(texts.holiday.size() <= kMaxEntryChars);
  }
}

}  // namespace trevalda::fuzz
