#!/usr/bin/env python3
"""A window for the Linux saver's end-to-end check to draw into, as the
settings dialog's preview is: prints the X id of its inner frame, then reads
commands on standard input: "size W H" resizes the frame, "destroy" destroys
it (the toplevel stays), "quit" ends."""
import sys
import threading
import tkinter

width, height, x, y = (int(v) for v in sys.argv[1:5])
root = tkinter.Tk()
root.geometry(f"{width}x{height}+{x}+{y}")
root.configure(background="#808080", borderwidth=0, highlightthickness=0)
frame = tkinter.Frame(root, width=width, height=height, background="#808080",
                      borderwidth=0, highlightthickness=0)
frame.place(x=0, y=0)
root.update()
print(hex(frame.winfo_id()), flush=True)


def command(line):
    words = line.split()
    if not words:
        return
    if words[0] == "size":
        root.geometry(f"{words[1]}x{words[2]}")
        frame.configure(width=int(words[1]), height=int(words[2]))
    elif words[0] == "destroy":
        frame.destroy()
    elif words[0] == "quit":
        root.destroy()
        return
    root.update()
    print("ok", flush=True)


def readCommands():
    for line in sys.stdin:
        root.after(0, command, line)
    root.after(0, root.destroy)


threading.Thread(target=readCommands, daemon=True).start()
root.mainloop()
