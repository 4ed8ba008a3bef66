# live-objects.py - gdb script: counts the collector's live objects in a
# running Nubrix (attach with `gdb -batch -p PID -x live-objects.py`).
#
# Prints one line: "objects N surfaces S textures T texture-bytes B
# samples M", where objects are those on the white, grey and black lists
# (everything not yet found to be garbage), surfaces those of them that are
# gxtkSurface with a GL texture, and samples the gxtkSample objects.
import gdb

objects = surfaces = textures = texture_bytes = samples = 0
for name in ("gc_unmarked_list", "gc_queued_list", "gc_marked_list"):
    head = gdb.parse_and_eval(name).address
    p = head["succ"]
    while p != head:
        objects += 1
        kind = str(p.dereference().dynamic_type)
        if kind.endswith("gxtkSurface"):
            surfaces += 1
            s = p.dereference().cast(gdb.lookup_type("gxtkSurface"))
            if int(s["texture"]) != 0:
                textures += 1
                texture_bytes += int(s["width"]) * int(s["height"]) * 4
        elif kind.endswith("gxtkSample"):
            samples += 1
        p = p["succ"]
print("objects %d surfaces %d textures %d texture-bytes %d samples %d"
      % (objects, surfaces, textures, texture_bytes, samples))
