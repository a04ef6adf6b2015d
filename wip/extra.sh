cd $1 && python3 - <<'PY'
p='src/storage/RealDatabase.cpp'
s=open(p).read()
s=s.replace("""        fields.erase(it);""","""        fields.remove(u"file"_s);""")
open(p,'w').write(s)
PY
