# Rewrites a program's --help into the layout help2man reads, so that the
# manual page follows --help without mangling it (packaging/help_for_man.sh
# runs it). --help comes in two layouts:
#
#  - vexaro-flash: upper-case headings (NAME, SYNOPSIS, DESCRIPTION,
#    OPTIONS, EXIT STATUS ...) over text indented by 4; entries (an option,
#    an exit status, a variable) start at that indent, their text follows
#    deeper or after two spaces; lines deeper than an entry's text are
#    verbatim (a list of JSON events).
#  - vexaro-pack: "usage: PROGRAM COMMAND ..." lines, each followed by lines
#    that continue it and by a paragraph indented by 2 about the command.
#
# What help2man takes from the result: "Usage:"/"or:" lines for SYNOPSIS,
# text before the first heading for DESCRIPTION, "Options:",
# "Environment:", "Files:", "Examples:" and "*Other Heading*" lines as
# sections, "  TAG" followed by lines indented by 24 as a tagged paragraph
# whose lines are filled together, and a paragraph of its own (between empty
# lines) for every verbatim line, which keeps it a line of its own.
# help2man writes NAME itself (--name), so the NAME section is left out.

function flush_entry() {
  entry_open = 0
  text_indent = -1
}

function out(line) { body = body line "\n" }

function pad(n,    s) {
  s = ""
  while (n-- > 0) s = s " "
  return s
}

function indent_of(line) {
  match(line, /^ */)
  return RLENGTH
}

# A verbatim line is a paragraph of its own. One wider than the page would
# not break where it has no spaces, so it is wrapped after a comma.
function verbatim(line,    rest, cut, i) {
  rest = line
  # Its explanation after two or more spaces would make help2man set the
  # line as an entry of the section: " - " instead.
  if (match(rest, /   *[^ ]/)) rest = substr(rest, 1, RSTART - 1) " - " substr(rest, RSTART + RLENGTH - 1)
  while ((index(rest, " ") ? index(rest, " ") - 1 : length(rest)) > 60) {
    cut = 0
    for (i = 60; i > 20; i--) {
      if (substr(rest, i, 1) == ",") { cut = i; break }
    }
    if (!cut) break
    out("")
    out(pad(26) substr(rest, 1, cut))
    rest = "  " substr(rest, cut + 1)
  }
  out("")
  out(pad(26) rest)
  out("")
}

BEGIN {
  section = "DESCRIPTION"
  usage_count = 0
  flush_entry()
}

# vexaro-pack's layout: "usage: ..." and the lines continuing it.
/^usage: / {
  usage_count++
  usage[usage_count] = substr($0, 8)
  split(usage[usage_count], words, " ")
  command[usage_count] = words[1] " " words[2]
  in_usage = 1
  next
}
in_usage && /^     +[^ ]/ {
  line = $0
  sub(/^ +/, "", line)
  usage[usage_count] = usage[usage_count] " " line
  next
}
in_usage && /^  [^ ]/ {
  # The paragraph about the command: a sub-section of DESCRIPTION.
  if (!about[usage_count]) out("\n" command[usage_count] ":")
  about[usage_count] = 1
  out("  " substr($0, 3))
  next
}
usage_count {
  in_usage = 0
  out(/^[^ ]/ ? "\n" $0 : $0)
  next
}

# vexaro-flash's layout.
/^[A-Z][A-Z ]*[A-Z]$/ {
  flush_entry()
  section = $0
  if (section == "SYNOPSIS" || section == "NAME" || section == "DESCRIPTION") next
  heading = toupper(substr(section, 1, 1)) tolower(substr(section, 2))
  if (section == "OPTIONS" || section == "ENVIRONMENT" || section == "FILES" || section == "EXAMPLES")
    out("\n" heading ":")
  else
    out("\n*" heading "*")
  next
}
section == "NAME" { next }
section == "SYNOPSIS" {
  line = $0
  sub(/^ +/, "", line)
  if (line != "") synopsis[++synopsis_count] = line
  next
}
/^ *$/ { flush_entry(); out(""); next }
{
  depth = indent_of($0) - 4
  line = substr($0, indent_of($0) + 1)
  if (section == "EXAMPLES") {
    # help2man sets lines starting with "$ " as commands, one per line.
    out("  $ " line)
    next
  }
  if (depth <= 0) {
    flush_entry()
    # An entry when its text follows after two spaces or on deeper lines;
    # a line of prose otherwise (the next line tells, so it is marked).
    if (match(line, /   *[^ ]/)) {
      out("\n  " substr(line, 1, RSTART - 1))
      out(pad(24) substr(line, RSTART + RLENGTH - 1))
      entry_open = 1
      next
    }
    out("\001" line)
    next
  }
  if (!entry_open) {
    # The marked line before this one was an entry's tag.
    n = split(body, parts, "\001")
    if (n > 1) {
      tag = parts[n]
      body = substr(body, 1, length(body) - length(tag) - 1)
      sub(/\n$/, "", tag)
      # "130 stopped by ...": a tag as wide as the column of its text, which
      # starts on the tag's line after one space.
      text = ""
      if (substr(tag, depth, 1) == " " && substr(tag, depth + 1, 1) != " " && length(tag) > depth) {
        text = substr(tag, depth + 1)
        tag = substr(tag, 1, depth - 1)
      }
      out("\n  " tag)
      if (text != "") out(pad(24) text)
      entry_open = 1
    }
  }
  if (entry_open && (text_indent < 0 || depth == text_indent)) {
    if (text_indent < 0) text_indent = depth
    out(pad(24) line)
  } else if (entry_open && depth > text_indent) {
    verbatim(line)
  } else {
    out(line)
  }
}

END {
  for (i = 1; i <= usage_count; i++) synopsis[++synopsis_count] = usage[i]
  for (i = 1; i <= synopsis_count; i++) print (i == 1 ? "Usage: " : "  or:  ") synopsis[i]
  print ""
  gsub(/\001/, "", body)
  gsub(/\n\n\n+/, "\n\n", body)
  sub(/^\n+/, "", body)
  printf "%s", body
}
