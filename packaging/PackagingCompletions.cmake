# Bash completions: added with their scripts.
