# SPDX-License-Identifier: MIT
# Turns CHANGELOG.md into a Debian changelog: lintian reads a native package's
# changelog.gz in that format. Each "## <version> (<YYYY-MM-DD>[ HH:MM])" section
# becomes an entry; "- " items become "  * ", their continuation lines follow.
# usage: awk -v package=NAME -v maintainer='NAME <MAIL>' -f changelog.awk <CHANGELOG.md
function close_entry() {
  if (version == "") return
  cmd = "LC_ALL=C date -u -R -d '" date "'"
  if ((cmd | getline when) <= 0) fail("bad date " date)
  close(cmd)
  printf "\n -- %s  %s\n", maintainer, when
}
function fail(why) {
  print "CHANGELOG.md:" NR ": " why > "/dev/stderr"
  failed = 1
  exit 1
}
/^## / {
  close_entry()
  # A time tells apart two versions of one day: each entry must be later than the one before.
  if (!match($0, /^## [0-9][0-9A-Za-z.+~]* \([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]( [0-2][0-9]:[0-5][0-9])?\)$/))
    fail("want \"## <version> (<YYYY-MM-DD>[ HH:MM])\"")
  version = $2
  date = substr($0, index($0, "(") + 1)
  date = substr(date, 1, length(date) - 1)
  if (entries++) print ""
  printf "%s (%s) unstable; urgency=medium\n\n", package, version
  next
}
version == "" || /^[[:space:]]*$/ { next }
{ gsub(/`/, "") }
/^- / { print "  * " substr($0, 3); next }
/^  [^ ]/ { print "    " substr($0, 3); next }
{ fail("want \"- \" items or lines indented by two spaces") }
END {
  if (failed) exit 1
  if (!entries) fail("no \"## <version>\" section")
  close_entry()
}
