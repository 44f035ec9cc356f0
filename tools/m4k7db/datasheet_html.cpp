#include "datasheet_html.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "engine/driver_slots.h"
#include "engine/image.h"
#include "key_info.h"
#include "request.h"
#include "text.h"
#include "validate.h"

namespace m4k7cli {

namespace {

// Print-friendly and legible without colour: the printable areas differ by
// pattern (hatched, dashed outline), the matrix cells by words and marks.
const char kStyle[] = R"(
@page { size: A4; margin: 14mm 12mm; }
:root { --ink: #1b1f24; --muted: #57606a; --rule: #d0d7de; --soft: #f6f8fa; --accent: #0b5cad; }
* { box-sizing: border-box; }
html { font: 10.5pt/1.4 system-ui, "DejaVu Sans", "Liberation Sans", Arial, sans-serif; color: var(--ink); }
body { margin: 0 auto; max-width: 78rem; padding: 1.5rem 2rem 3rem; background: #fff; }
header { border-bottom: 3px solid var(--ink); padding-bottom: .6rem; margin-bottom: 1rem; }
h1 { font-size: 1.7rem; margin: 0; letter-spacing: -.01em; }
.sub { color: var(--muted); margin: .2rem 0 0; }
h2 { font-size: 1.2rem; margin: 2rem 0 .5rem; padding-bottom: .2rem; border-bottom: 1px solid var(--rule); }
h3 { font-size: 1rem; margin: 0; }
p { margin: .4rem 0; max-width: 60rem; }
nav ol { columns: 3; margin: .5rem 0; padding-left: 1.4rem; }
a { color: var(--accent); }
code, .mono { font-family: "DejaVu Sans Mono", "Liberation Mono", monospace; font-size: .92em; }
.facts { display: grid; grid-template-columns: repeat(auto-fit, minmax(8rem, 1fr)); gap: .5rem; margin: .8rem 0; }
.fact { border: 1px solid var(--rule); border-radius: 4px; padding: .4rem .6rem; background: var(--soft); }
.fact b { display: block; font-size: 1.35rem; }
.fact span { color: var(--muted); font-size: .85rem; }
.legend { display: flex; flex-wrap: wrap; gap: .4rem 1.4rem; align-items: center; margin: .5rem 0 .8rem;
  font-size: .9rem; }
.legend svg { vertical-align: middle; margin-right: .3rem; }
.sizes { display: grid; grid-template-columns: repeat(auto-fill, minmax(25rem, 1fr)); gap: .7rem; }
.size { display: grid; grid-template-columns: 8rem 1fr; gap: .3rem .8rem; align-items: start;
  border: 1px solid var(--rule); border-radius: 4px; padding: .6rem; break-inside: avoid; page-break-inside: avoid; }
.size.off { background: var(--soft); }
.size figure { margin: 0; }
.size figure svg { width: 8rem; height: 9rem; display: block; }
.size .id { color: var(--muted); font-weight: normal; font-size: .85rem; }
.size .paper { margin: .3rem 0 0; font-size: .9rem; }
.size table { grid-column: 1 / -1; }
.badge { display: inline-block; font-size: .75rem; border: 1px solid var(--ink); border-radius: 3px;
  padding: 0 .3rem; margin: .15rem 0; }
.badge.off { border-style: dashed; }
table { border-collapse: collapse; margin: .4rem 0 1rem; font-size: .9rem; }
caption { text-align: left; font-weight: 600; padding: .2rem 0 .3rem; }
th, td { border: 1px solid var(--rule); padding: .25rem .45rem; text-align: left; vertical-align: top; }
thead th { background: var(--soft); }
tbody th { font-weight: 600; }
table.dims { font-size: .8rem; margin: .2rem 0 0; width: 100%; }
table.dims th, table.dims td { padding: .12rem .3rem; border-width: 0 0 1px 0; white-space: nowrap; }
table.dims td { text-align: right; }
table.dims td[colspan] { text-align: left; }
table.dims thead th { text-align: center; }
svg.swatch { vertical-align: -3px; margin-right: .3rem; }
table.dims thead th { background: none; color: var(--muted); font-weight: 600; }
table.matrix td { min-width: 7.5rem; }
td.no { color: var(--muted); text-align: center; }
.default { font-weight: 700; }
.nr { font-style: italic; }
.small { font-size: .8rem; color: var(--muted); }
table.keys { font-size: .78rem; width: 100%; }
table.keys td:nth-child(2) { white-space: nowrap; }
.vh { position: absolute; width: 1px; height: 1px; overflow: hidden; clip: rect(0 0 0 0); white-space: nowrap; }
footer { margin-top: 2rem; border-top: 1px solid var(--rule); padding-top: .4rem; color: var(--muted);
  font-size: .85rem; }
@media print {
  html { font-size: 9pt; }
  body { max-width: none; padding: 0; }
  nav { display: none; }
  h2 { break-after: avoid; page-break-after: avoid; }
  .facts { grid-template-columns: repeat(7, 1fr); gap: .3rem; }
  .fact b { font-size: 1.1rem; }
  .sizes { grid-template-columns: 1fr 1fr; gap: .5rem; }
  .size { grid-template-columns: 6.5rem 1fr; padding: .4rem; }
  .size figure svg { width: 6.5rem; height: 7.5rem; }
  table.dims th, table.dims td { padding: .1rem .15rem; }
  thead { display: table-header-group; }
  tr { break-inside: avoid; page-break-inside: avoid; }
  a { color: inherit; text-decoration: none; }
}
)";

// A length in 0.01 mm as millimetres, without trailing zeros: "210", "3.4".
std::string Millimetres(int32_t hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", hundredths / 100.0);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string Inches(int32_t hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", hundredths / 2540.0);
  return text;
}

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

std::string SizeTitle(const PaperSizeCaps &s) {
  return s.name.empty() ? "Paper size " + std::to_string(s.item.id) : s.name;
}

std::string StatusCell(AccessStatus status) {
  return "<span class=\"small\">" + HtmlEscape(StatusText(status)) + "</span>";
}

// One paper size drawn to its own scale, in 0.01 mm: the paper, the normal
// mode's printable area hatched and the full-length mode's outlined with
// dashes.
std::string SizeSvg(const std::string &id, const std::string &title, const std::string &desc, int32_t width,
                    int32_t height, const SizeArea *normal, const SizeArea *full, bool laidOut) {
  const double pad = std::max(width, height) * 0.04, stroke = std::max(width, height) / 160.0;
  const double hatch = std::max(width, height) / 36.0;
  std::string s = "<svg role=\"img\" aria-labelledby=\"" + id + "-t " + id + "-d\" viewBox=\"" + Num(-pad) +
                  " " + Num(-pad) + " " + Num(width + 2 * pad) + " " + Num(height + 2 * pad) + "\">";
  s += "<title id=\"" + id + "-t\">" + HtmlEscape(title) + "</title>";
  s += "<desc id=\"" + id + "-d\">" + HtmlEscape(desc) + "</desc>";
  s += "<defs><pattern id=\"" + id + "-h\" patternUnits=\"userSpaceOnUse\" width=\"" + Num(hatch) +
       "\" height=\"" + Num(hatch) +
       "\" patternTransform=\"rotate(45)\"><line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"" + Num(hatch) +
       "\" stroke=\"#1b1f24\" stroke-width=\"" + Num(stroke * 0.7) + "\"/></pattern></defs>";
  s += "<rect class=\"paper\" x=\"0\" y=\"0\" width=\"" + std::to_string(width) + "\" height=\"" +
       std::to_string(height) + "\" fill=\"#fff\" stroke=\"#1b1f24\" stroke-width=\"" + Num(stroke) + "\"" +
       (laidOut ? "" : " stroke-dasharray=\"" + Num(stroke * 2) + " " + Num(stroke * 2) + "\"") + "/>";
  if (normal && normal->known())
    s += "<rect class=\"normal\" x=\"" + std::to_string(normal->left) + "\" y=\"" +
         std::to_string(normal->top) + "\" width=\"" + std::to_string(normal->printableWidth) +
         "\" height=\"" + std::to_string(normal->printableHeight) + "\" fill=\"url(#" + id +
         "-h)\" fill-opacity=\".75\"/>";
  if (full && full->known())
    s += "<rect class=\"full\" x=\"" + std::to_string(full->left) + "\" y=\"" + std::to_string(full->top) +
         "\" width=\"" + std::to_string(full->printableWidth) + "\" height=\"" +
         std::to_string(full->printableHeight) + "\" fill=\"none\" stroke=\"#0b5cad\" stroke-width=\"" +
         Num(stroke * 1.3) + "\" stroke-dasharray=\"" + Num(stroke * 5) + " " + Num(stroke * 3) + "\"/>";
  return s + "</svg>";
}

// "203.2 × 284.1 mm" and margins of one mode, for the drawing's description.
std::string AreaSentence(const char *mode, const SizeArea &a, int32_t width, int32_t height) {
  if (!a.known()) return std::string(mode) + ": no printable area (" + StatusText(a.areaStatus) + "). ";
  return std::string(mode) + " printable area " + Millimetres(a.printableWidth) + " by " +
         Millimetres(a.printableHeight) + " mm, margins top " + Millimetres(a.top) + ", left " +
         Millimetres(a.left) + ", right " + Millimetres(width - a.left - a.printableWidth) + ", bottom " +
         Millimetres(height - a.top - a.printableHeight) + " mm. ";
}

std::string AreaRow(const std::string &label, const SizeArea &a, int32_t width, int32_t height,
                    bool hasPaper) {
  std::string row = "<tr><th scope=\"row\">" + label + "</th>";
  if (!a.known()) return row + "<td colspan=\"5\">none: " + StatusCell(a.areaStatus) + "</td></tr>";
  row += "<td>" + Millimetres(a.printableWidth) + " × " + Millimetres(a.printableHeight) + " mm<br>" +
         Inches(a.printableWidth) + " × " + Inches(a.printableHeight) + " in</td><td>" + Millimetres(a.top) +
         "</td><td>" + Millimetres(a.left) + "</td>";
  if (!hasPaper) return row + "<td>–</td><td>–</td></tr>";
  return row + "<td>" + Millimetres(width - a.left - a.printableWidth) + "</td><td>" +
         Millimetres(height - a.top - a.printableHeight) + "</td></tr>";
}

std::string LegendSwatch(const char *kind);

std::string DimsTable(int32_t width, int32_t height, bool hasPaper, const SizeArea &normal,
                      const SizeArea &full) {
  std::string t = "<table class=\"dims\"><thead><tr><th scope=\"col\" rowspan=\"2\">Margin mode</th>"
                  "<th scope=\"col\" rowspan=\"2\">Printable area</th><th scope=\"colgroup\" colspan=\"4\">"
                  "Margins, mm</th></tr><tr><th scope=\"col\">top</th><th scope=\"col\">left</th>"
                  "<th scope=\"col\">right</th><th scope=\"col\">bottom</th></tr></thead><tbody>";
  t += AreaRow(LegendSwatch("normal") + "Normal", normal, width, height, hasPaper);
  t += AreaRow(LegendSwatch("full") + "Full-length", full, width, height, hasPaper);
  return t + "</tbody></table>";
}

std::string PaperLine(int32_t width, int32_t height) {
  return Millimetres(width) + " × " + Millimetres(height) + " mm · " + Inches(width) + " × " +
         Inches(height) + " in";
}

std::string SizeCard(const Capabilities &caps, const PaperSizeCaps &s, size_t index) {
  const std::string id = "size" + std::to_string(index);
  const std::string title = SizeTitle(s);
  std::string card = std::string("<article class=\"size") + (s.printable ? "" : " off") + "\" data-size=\"" +
                     std::to_string(s.item.id) + "\"><figure>";
  const UserDefinedCaps &u = caps.userDefined;
  const bool userDefined = !s.hasPaper() && u.asked && u.sizeId == s.item.id;
  std::string desc, paper, table;
  if (s.hasPaper()) {
    desc = title + ", " + Millimetres(s.width) + " by " + Millimetres(s.height) + " mm" +
           (s.printable ? "" : ", not laid out by this printer") + ". " +
           AreaSentence("Normal mode", s.normal, s.width, s.height) +
           AreaSentence("Full-length mode", s.fullLength, s.width, s.height);
    card += SizeSvg(id, title, desc, s.width, s.height, &s.normal, &s.fullLength, s.printable);
    paper = "Paper " + PaperLine(s.width, s.height);
    table = DimsTable(s.width, s.height, true, s.normal, s.fullLength);
  } else if (userDefined) {
    const PaperSizeCaps *probe = caps.findSize(u.probeSize);
    const std::string probeName = probe ? SizeTitle(*probe) : "size " + std::to_string(u.probeSize);
    desc = title + ": the application gives the dimensions (key 0x1004); drawn with those of " + probeName +
           ", " + Millimetres(u.probeWidth) + " by " + Millimetres(u.probeHeight) + " mm. " +
           AreaSentence("Normal mode", u.normal, u.probeWidth, u.probeHeight) +
           AreaSentence("Full-length mode", u.fullLength, u.probeWidth, u.probeHeight);
    card += SizeSvg(id, title, desc, u.probeWidth, u.probeHeight, &u.normal, &u.fullLength, s.printable);
    paper = "Paper given by the application (key 0x1004); shown with " + HtmlEscape(probeName) + "’s " +
            PaperLine(u.probeWidth, u.probeHeight);
    table = DimsTable(u.probeWidth, u.probeHeight, true, u.normal, u.fullLength);
  } else {
    desc = title + ": no paper dimensions (" + StatusText(s.paperStatus) + ").";
    card += SizeSvg(id, title, desc, 1000, 1414, nullptr, nullptr, false);
    paper = "No paper dimensions: " + StatusCell(s.paperStatus);
    table = DimsTable(0, 0, false, s.normal, s.fullLength);
  }
  card += "</figure><div><h3>" + HtmlEscape(title) +
          " <span class=\"id\">I[28]=" + std::to_string(s.item.id) + "</span></h3>";
  card += s.printable ? "<span class=\"badge\">laid out</span>"
                      : "<span class=\"badge off\">not laid out by this printer</span>";
  if (userDefined) card += " <span class=\"badge\">user-defined</span>";
  return card + "<p class=\"paper\">" + paper + "</p></div>" + table + "</article>\n";
}

// A small sample of a drawing's mark, beside the words that name it.
std::string LegendSwatch(const char *kind) {
  std::string s =
      "<svg class=\"swatch\" width=\"22\" height=\"16\" viewBox=\"0 0 22 16\" aria-hidden=\"true\">";
  if (std::string(kind) == "normal")
    s += "<rect x=\"1\" y=\"1\" width=\"20\" height=\"14\" fill=\"url(#legend-h)\" fill-opacity=\".75\"/>";
  else if (std::string(kind) == "full")
    s += "<rect x=\"1.5\" y=\"1.5\" width=\"19\" height=\"13\" fill=\"none\" stroke=\"#0b5cad\" "
         "stroke-width=\"2\" stroke-dasharray=\"4 2.5\"/>";
  else
    s += "<rect x=\"1\" y=\"1\" width=\"20\" height=\"14\" fill=\"#fff\" stroke=\"#1b1f24\" "
         "stroke-width=\"1.5\" "
         "stroke-dasharray=\"3 3\"/>";
  return s + "</svg>";
}

std::string PaperSection(const Capabilities &caps) {
  // The swatches' hatching, defined once for the whole page.
  std::string s =
      "<section id=\"sizes\"><h2>Paper sizes</h2><svg width=\"0\" height=\"0\" aria-hidden=\"true\" "
      "style=\"position:absolute\"><defs><pattern id=\"legend-h\" patternUnits=\"userSpaceOnUse\" "
      "width=\"4\" height=\"4\" patternTransform=\"rotate(45)\"><line x1=\"0\" y1=\"0\" x2=\"0\" "
      "y2=\"4\" stroke=\"#1b1f24\" stroke-width=\"1.2\"/></pattern></defs></svg>";
  s += "<p>Every size of the paper-size list (key 4113, setting I[28]), each drawn to its own scale with the "
       "paper and both printable areas (keys 0x1001 and 0x1002) in proportion. Sizes outside the printable "
       "list (key 4112) are marked <em>not laid out by this printer</em>. Dimensions in millimetres and "
       "inches; margins are what the paper leaves around the printable area.</p>";
  s += "<div class=\"legend\"><span>" + LegendSwatch("normal") +
       "Normal margin mode (I[52]=" + std::to_string(caps.normalMarginMode) + "): hatched area</span><span>" +
       LegendSwatch("full") + "Full-length margin mode (I[52]=" + std::to_string(m4k7::kMarginModeFullPage) +
       "): dashed outline</span><span>" + LegendSwatch("off") +
       "Dashed paper edge: not laid out</span></div>";
  if (caps.sizesStatus != M4K7DB_OK)
    s += "<p>The paper-size list gives no answer: " + StatusCell(caps.sizesStatus) + "</p>";
  s += "<div class=\"sizes\">\n";
  for (size_t i = 0; i < caps.sizes.size(); ++i) s += SizeCard(caps, caps.sizes[i], i);
  return s + "</div></section>\n";
}

std::string DefaultBadge(bool marked) { return marked ? " <span class=\"default\">default</span>" : ""; }

// Media × quality for one ink count: which qualities each media allows,
// the marked one, the I[6] values and which of them have no print-mode record.
std::string MatrixTable(const InkCaps &ink) {
  std::set<int32_t> qualityIds;
  for (const MediaCaps &m : ink.media)
    for (const QualityCaps &q : m.qualities) qualityIds.insert(q.item.id);
  std::string t = "<table class=\"matrix\" data-ink=\"" + std::to_string(ink.item.id) +
                  "\"><caption>Ink count " + std::to_string(ink.item.id) +
                  " (I[4]=" + std::to_string(ink.item.id) +
                  (ink.item.mark ? ", the <span class=\"default\">default</span>" : "") +
                  "): media × print quality</caption>";
  if (ink.mediaStatus != M4K7DB_OK)
    return t + "<tbody><tr><td>media list (key 4110): " + StatusCell(ink.mediaStatus) +
           "</td></tr></tbody></table>";
  t += "<thead><tr><th scope=\"col\">Media I[5]</th>";
  for (int32_t q : qualityIds)
    t += "<th scope=\"col\">Quality " + std::to_string(q) +
         "<br><span class=\"small\">I[8]=" + std::to_string(q) + "</span></th>";
  t += "</tr></thead><tbody>\n";
  for (const MediaCaps &m : ink.media) {
    t += "<tr class=\"media\"><th scope=\"row\">Media " + std::to_string(m.item.id) +
         DefaultBadge(m.item.mark) + "<br><span class=\"small\">string " + std::to_string(m.item.attr1) +
         "</span></th>";
    if (m.qualitiesStatus != M4K7DB_OK) {
      t += "<td colspan=\"" + std::to_string(qualityIds.size()) +
           "\">quality list (key 4118): " + StatusCell(m.qualitiesStatus) + "</td></tr>\n";
      continue;
    }
    for (int32_t qid : qualityIds) {
      const auto q = std::find_if(m.qualities.begin(), m.qualities.end(),
                                  [&](const QualityCaps &c) { return c.item.id == qid; });
      if (q == m.qualities.end()) {
        t += "<td class=\"no\">–<span class=\"vh\"> not offered</span></td>";
        continue;
      }
      t += std::string("<td class=\"yes\">✓ allowed") + DefaultBadge(q->item.mark) + "<br>I[6]: ";
      if (q->modesStatus != M4K7DB_OK) t += StatusCell(q->modesStatus);
      for (const PrintModeValue &v : q->modes) {
        const std::string text = MarkedId(v.item);
        t += v.hasRecord() ? "<span class=\"mode\">" + text + "</span> "
                           : "<span class=\"mode nr\" title=\"no print-mode record\">" + text +
                                 "†</span><span class=\"vh\"> (no print-mode record)</span> ";
      }
      if (q->resolutionStatus == M4K7DB_OK)
        t += "<br><span class=\"small\">" + std::to_string(q->resolutionX) + " × " +
             std::to_string(q->resolutionY) + " dpi</span>";
      t += "</td>";
    }
    t += "</tr>\n";
  }
  return t + "</tbody></table>\n";
}

std::string MatrixSection(const Capabilities &caps) {
  std::string s = "<section id=\"matrix\"><h2>Settings matrix</h2>";
  s +=
      "<p>For each ink count (key 4108), the media types (key 4110) down and the print qualities they allow "
      "(key 4118) across. A cell lists the quality’s I[6] values (key 4116) and its resolution (key 4104). "
      "<span class=\"default\">default</span>: the list’s marked item, the dialog’s initial choice; "
      "<code>3*</code>: the marked I[6] value (<code>*2</code>: marked 2); <code><span class=\"nr\">3†</span>"
      "</code>: no print-mode record (key 4126), the driver cannot print with it; –: not offered.</p>";
  if (caps.inksStatus != M4K7DB_OK)
    s += "<p>The ink-count list gives no answer: " + StatusCell(caps.inksStatus) + "</p>";
  for (const InkCaps &ink : caps.inks) s += MatrixTable(ink);
  return s + "</section>\n";
}

std::string SourceSection(const Capabilities &caps) {
  std::string s = "<section id=\"sources\"><h2>Paper sources per media</h2>";
  s += "<p>The paper sources (key 4114, setting I[7]) each media type allows, per ink count; "
       "<span class=\"default\">default</span> marks the list’s marked source, – a source not offered.</p>";
  std::vector<int32_t> media;
  std::set<int32_t> sources;
  for (const InkCaps &ink : caps.inks)
    for (const MediaCaps &m : ink.media) {
      if (std::find(media.begin(), media.end(), m.item.id) == media.end()) media.push_back(m.item.id);
      for (const ListItemView &src : m.sources.items) sources.insert(src.id);
    }
  s += "<table class=\"sources\"><thead><tr><td rowspan=\"2\"></td>";
  for (const InkCaps &ink : caps.inks)
    s += "<th scope=\"colgroup\" colspan=\"" + std::to_string(sources.size()) + "\">Ink count " +
         std::to_string(ink.item.id) + "</th>";
  s += "</tr><tr>";
  for (size_t i = 0; i < caps.inks.size(); ++i)
    for (int32_t src : sources) s += "<th scope=\"col\">Source " + std::to_string(src) + "</th>";
  s += "</tr></thead><tbody>\n";
  for (int32_t id : media) {
    s += "<tr><th scope=\"row\">Media " + std::to_string(id) + "</th>";
    for (const InkCaps &ink : caps.inks) {
      const auto m = std::find_if(ink.media.begin(), ink.media.end(),
                                  [&](const MediaCaps &c) { return c.item.id == id; });
      for (int32_t src : sources) {
        const ListItemView *item = nullptr;
        if (m != ink.media.end())
          for (const ListItemView &i : m->sources.items)
            if (i.id == src) item = &i;
        if (m != ink.media.end() && m->sources.status != M4K7DB_OK)
          s += "<td>" + StatusCell(m->sources.status) + "</td>";
        else
          s += item ? "<td>✓ allowed" + DefaultBadge(item->mark) + "</td>"
                    : "<td class=\"no\">–<span class=\"vh\"> not offered</span></td>";
      }
    }
    s += "</tr>\n";
  }
  s += "</tbody></table>";
  if (caps.askedFullLength) {
    s += "<p>In the full-length margin mode (I[52]=" + std::to_string(m4k7::kMarginModeFullPage) +
         ") the paper sources offered are ";
    if (caps.fullLengthSources.status != M4K7DB_OK) s += StatusCell(caps.fullLengthSources.status);
    for (const ListItemView &i : caps.fullLengthSources.items)
      s += std::string(&i == &caps.fullLengthSources.items.front() ? "" : ", ") + "source " +
           std::to_string(i.id) + (i.mark ? " (<span class=\"default\">default</span>)" : "");
    s += " only.</p>";
  }
  return s + "</section>\n";
}

std::string DefaultsSection(const Capabilities &caps) {
  std::string s = "<section id=\"defaults\"><h2>Defaults</h2><p>Each list’s marked item, asked from the top "
                  "down with the defaults above it: what the driver’s dialog shows first.</p>";
  s += "<table><thead><tr><th scope=\"col\">List key</th><th scope=\"col\">List</th><th "
       "scope=\"col\">Setting</th>"
       "<th scope=\"col\">Marked item</th><th scope=\"col\">Mark</th></tr></thead><tbody>\n";
  for (const ListDefault &d : caps.defaults) {
    const m4k7::imageview::KeyInfo *info = m4k7::imageview::FindKeyInfo(d.key);
    s += "<tr><td>" + std::to_string(d.key) + " <span class=\"small\">" + HtmlEscape(HexKey(d.key)) +
         "</span></td><td>" + HtmlEscape(info ? info->name : "") + "</td><td>I[" + std::to_string(d.slot) +
         "]</td>";
    s += d.marked ? "<td>" + std::to_string(d.id) + "</td><td>" + std::to_string(d.mark) + "</td>"
                  : "<td colspan=\"2\">none marked</td>";
    s += "</tr>\n";
  }
  return s + "</tbody></table></section>\n";
}

std::string KeySection() {
  const m4k7::imageview::KeyCatalogue &catalogue = m4k7::imageview::CompiledKeyCatalogue();
  std::string s = "<section id=\"keys\"><h2>Key catalogue</h2><p>Every key of the image, as <code>m4k7db "
                  "keys</code> lists it: database, key, name, what the caller receives and the request slots "
                  "a lookup may read, in walk order.</p>";
  s +=
      "<table class=\"keys\"><thead><tr><th scope=\"col\">Database</th><th scope=\"col\">Key</th>"
      "<th scope=\"col\">Name</th><th scope=\"col\">Answer</th><th scope=\"col\">Slots read</th></tr></thead>"
      "<tbody>\n";
  for (uint32_t i = 0; i < catalogue.keyCount; ++i) {
    const m4k7::imageview::KeyInfo &k = catalogue.keys[i];
    s += "<tr><td>" + HtmlEscape(DatabaseNameOf(k.key)) + "</td><td class=\"mono\">" +
         HtmlEscape(HexKey(k.key)) + " (" + std::to_string(k.key) + ")</td><td>" + HtmlEscape(k.name) +
         "</td><td>" + HtmlEscape(AnswerOf(k)) + "</td><td class=\"mono\">" + HtmlEscape(k.slots) +
         "</td></tr>\n";
  }
  return s + "</tbody></table></section>\n";
}

std::string Fact(const std::string &value, const std::string &label) {
  return "<div class=\"fact\"><b>" + HtmlEscape(value) + "</b><span>" + HtmlEscape(label) + "</span></div>";
}

std::string ImageSection() {
  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();
  std::vector<std::string> problems;
  const bool valid = m4k7::imageview::ValidateImage(image, &problems);
  const m4k7::imageview::ImageStats st = m4k7::imageview::MeasureImage(image);
  const std::vector<std::pair<const char *, uint32_t>> rows = {
      {"nodes", st.nodes},
      {"keys in the key index", st.keys},
      {"integer pool", st.ints},
      {"short pool", st.shorts},
      {"byte pool", st.bytes},
      {"string pool", st.strings},
      {"grouped lists", st.groupedLists},
      {"grouped entries", st.groupedEntries},
      {"item lists", st.itemLists},
      {"items", st.items},
      {"print-mode rows", st.printModeRows},
      {"section 1 records", st.sectionRecords[0]},
      {"section 2 records", st.sectionRecords[1]},
      {"section 3 records", st.sectionRecords[2]},
      {"section 4 records", st.sectionRecords[3]},
      {"shared nodes", st.sharedNodes},
      {"deepest path", st.deepestPath},
  };
  std::string s =
      "<section id=\"image\"><h2>The image</h2><p>The compiled-in image, as <code>m4k7db check</code> "
      "validates and counts it: <strong>" +
      std::string(valid ? "valid" : "INVALID") + "</strong>.</p>";
  for (const std::string &p : problems) s += "<p class=\"mono\">" + HtmlEscape(p) + "</p>";
  s += "<table><thead><tr><th scope=\"col\">Count</th><th scope=\"col\">Value</th></tr></thead><tbody>\n";
  for (const auto &[name, n] : rows)
    s += std::string("<tr><th scope=\"row\">") + name + "</th><td>" + std::to_string(n) + "</td></tr>\n";
  return s + "</tbody></table></section>\n";
}

} // namespace

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&#39;"; break;
    default: out += c;
    }
  return out;
}

std::string DatasheetHtml(const Capabilities &caps, std::string_view toolVersion) {
  const std::string version = caps.versionStatus == M4K7DB_OK ? caps.version : StatusText(caps.versionStatus);
  size_t laidOut = 0, media = 0;
  std::set<int32_t> qualities;
  for (const PaperSizeCaps &s : caps.sizes) laidOut += s.printable ? 1 : 0;
  for (const InkCaps &i : caps.inks) {
    media = std::max(media, i.media.size());
    for (const MediaCaps &m : i.media)
      for (const QualityCaps &q : m.qualities) qualities.insert(q.item.id);
  }
  const m4k7::imageview::ImageStats st = m4k7::imageview::MeasureImage(m4k7::CompiledImage());

  std::string h = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                  "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                  "<title>M4K7 printer database " +
                  HtmlEscape(version) + " — datasheet</title>\n<style>" + kStyle +
                  "</style>\n</head>\n<body>\n";
  h += "<header><h1>M4K7 printer database — datasheet</h1><p class=\"sub\">Database version <strong>" +
       HtmlEscape(version) + "</strong> (root key 2) · made by m4k7db " + HtmlEscape(toolVersion) +
       " · asked with " + HtmlEscape(caps.request) + "</p></header>\n";
  h += "<div class=\"facts\">" + Fact(std::to_string(caps.sizes.size()), "paper sizes") +
       Fact(std::to_string(laidOut), "laid out by the printer") +
       Fact(std::to_string(caps.inks.size()), "ink counts") + Fact(std::to_string(media), "media types") +
       Fact(std::to_string(qualities.size()), "print qualities") +
       Fact(std::to_string(st.keys), "keys in the image") +
       Fact(std::to_string(st.printModeRows), "print-mode rows") + "</div>\n";
  h +=
      "<nav aria-label=\"Contents\"><ol><li><a href=\"#sizes\">Paper sizes</a></li><li><a href=\"#matrix\">"
      "Settings matrix</a></li><li><a href=\"#sources\">Paper sources per media</a></li><li><a "
      "href=\"#defaults\">"
      "Defaults</a></li><li><a href=\"#keys\">Key catalogue</a></li><li><a href=\"#image\">The image</a></li>"
      "</ol></nav>\n<main>\n";
  h += PaperSection(caps) + MatrixSection(caps) + SourceSection(caps) + DefaultsSection(caps) + KeySection() +
       ImageSection();
  h += "</main>\n<footer>Made by <code>m4k7db datasheet</code> from the database compiled into m4k7db " +
       HtmlEscape(toolVersion) + ", asked through its public functions.</footer>\n</body>\n</html>\n";
  return h;
}

} // namespace m4k7cli
