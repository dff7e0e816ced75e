#!/usr/bin/env bash
# Takes docs/screenshot.png: starts the real program under Xvfb, opens a
# sample source through the File menu, assembles it with NASM and captures
# the window. Needs a built program (bash scripts/run.sh builds one).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/bin/torvane}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/boot.asm" <<'ASM'
; boot.asm - prints a greeting from the boot sector
        org 0x7c00
start:  mov si, message
        mov ah, 0x0e
.next:  lodsb
        or al, al
        jz .done
        int 0x10
        jmp .next
.done:  hlt
message db "Hello from Torvane", 0
        times 510-($-$$) db 0
        dw 0xaa55
ASM
printf '[Options]\nComplier=%s\n' "$(command -v nasm)" > "$work/torvane.ini"
cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -euo pipefail
cd "$work"
"$program" &
pid=\$!
sleep 3
xdotool search --sync --name "Torvane-2011-11" windowfocus --sync || true
xdotool key alt+f; sleep 0.5; xdotool key o; sleep 1.5
xdotool type --delay 20 "$work/boot.asm"; xdotool key Return; sleep 1.5
xdotool search --name "Torvane-2011-11" windowfocus --sync || true
xdotool key alt+f; sleep 0.5; xdotool key c; sleep 2
import -window root -crop 622x436+0+0 "$root/docs/screenshot.png"
kill \$pid
DRIVE
chmod +x "$work/drive.sh"
mkdir -p "$root/docs"
xvfb-run -a -s "-screen 0 640x480x24" "$work/drive.sh"
echo "wrote $root/docs/screenshot.png"
