# Sourced by the scripts that run the program under Wine; defines functions only.

# The Windows form of a local path (Wine's Z: drive), absolute.
nimbrel_winpath() { echo "Z:$(realpath -m "$1" | sed 's#/#\\#g')"; }

# Prints the first X window whose title matches the pattern, waiting up to 20 s; fails without.
nimbrel_wait_window() {
  local win="" i
  for i in $(seq 1 100); do
    win=$(xdotool search --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && { echo "$win"; return 0; }
    sleep 0.2
  done
  return 1
}
