import struct
def mfg(s):
    v=0
    for c in s: v=(v<<5)|(ord(c)-64)
    return struct.pack('>H',v)
def dtd(clock_khz,ha,hb,va,vb,hso,hsw,vso,vsw,hmm,vmm,flags=0x1E):
    c=clock_khz//10
    d=bytearray(18)
    d[0:2]=struct.pack('<H',c)
    d[2]=ha&0xFF; d[3]=hb&0xFF; d[4]=((ha>>8)<<4)|(hb>>8)
    d[5]=va&0xFF; d[6]=vb&0xFF; d[7]=((va>>8)<<4)|(vb>>8)
    d[8]=hso&0xFF; d[9]=hsw&0xFF; d[10]=((vso&0xF)<<4)|(vsw&0xF)
    d[11]=((hso>>8)<<6)|((hsw>>8)<<4)|((vso>>4)<<2)|(vsw>>4)
    d[12]=hmm&0xFF; d[13]=vmm&0xFF; d[14]=((hmm>>8)<<4)|(vmm>>8)
    d[15]=0; d[16]=0; d[17]=flags
    return bytes(d)
def text_desc(tag,text):
    t=text.encode()[:13]
    if len(t)<13: t=t+b'\n'+b' '*(12-len(t))
    return bytes([0,0,0,tag,0])+t
def range_desc(vmin,vmax,hmin,hmax,clk):
    return bytes([0,0,0,0xFD,0,vmin,vmax,hmin,hmax,clk,0,0x0A]+[0x20]*6)
def dummy():
    return bytes([0,0,0,0x10,0]+[0]*13)
def base(m,prod,serial,week,year,ext,descs,w_cm,h_cm,digital=0x80,features=0x2A,est=(0x21,0x08,0x00),std=None):
    b=bytearray(128)
    b[0:8]=bytes([0,255,255,255,255,255,255,0])
    b[8:10]=mfg(m); b[10:12]=struct.pack('<H',prod); b[12:16]=struct.pack('<I',serial)
    b[16]=week; b[17]=year-1990; b[18]=1; b[19]=4 if digital&0x80 and digital!=0x80 else 3
    b[20]=digital; b[21]=w_cm; b[22]=h_cm; b[23]=0x78; b[24]=features
    b[25:35]=bytes([0xEE,0x95,0xA3,0x54,0x4C,0x99,0x26,0x0F,0x50,0x54])
    b[35:38]=bytes(est)
    s=std or [(0x01,0x01)]*8
    for i,(x,y) in enumerate(s): b[38+2*i]=x; b[39+2*i]=y
    for i,d in enumerate(descs): b[54+18*i:72+18*i]=d
    b[126]=ext
    b[127]=(-sum(b[:127]))&0xFF
    return bytes(b)
def cta(dtds=(),native=1):
    b=bytearray(128)
    b[0]=0x02; b[1]=0x03
    # data block collection: one video data block (VIC 16 native, VIC 4) and an audio block
    blocks=bytes([0x42,0x80|16,4])+bytes([0x23,0x09,0x07,0x07])+bytes([0x83,0x01,0x00,0x00])
    b[4:4+len(blocks)]=blocks
    b[2]=4+len(blocks)
    b[3]=0x70|native
    off=b[2]
    for d in dtds:
        b[off:off+18]=d; off+=18
    b[127]=(-sum(b[:127]))&0xFF
    return bytes(b)
def displayid():
    b=bytearray(128)
    b[0]=0x70; b[1]=0x12; b[2]=0; b[3]=0x03; b[4]=0
    b[5]=(-sum(b[1:5]))&0xFF
    b[127]=(-sum(b[:127]))&0xFF
    return bytes(b)
files={}
# A 24-inch 16:10 monitor with a CTA-861 extension.
files['dell_u2415.bin']=base('DEL',0xA0B4,0x4C4A3231,12,2015,1,
  [dtd(154000,1920,160,1200,35,48,32,3,6,518,324),text_desc(0xFF,'7MT0154Q0R2L'),text_desc(0xFC,'DELL U2415'),range_desc(49,76,30,83,17)],
  52,32,digital=0xA5,features=0x3A)+cta([dtd(148500,1920,280,1080,45,88,44,4,5,518,324)])
# A television: 1080p preferred, CTA-861 extension.
files['samsung_tv.bin']=base('SAM',0x0D78,0x01000E00,3,2019,1,
  [dtd(148500,1920,280,1080,45,88,44,4,5,1600,900),range_desc(24,75,15,81,15),text_desc(0xFC,'SAMSUNG'),dummy()],
  160,90,digital=0x80,features=0x0A)+cta([dtd(74250,1280,370,720,30,110,40,5,5,1600,900)])
# A 21:9 monitor, base block only.
files['lg_ultrawide.bin']=base('GSM',0x59F1,0x0004E29B,45,2016,0,
  [dtd(181250,2560,160,1080,31,48,32,3,10,673,284),range_desc(56,61,30,90,19),text_desc(0xFC,'LG ULTRAWIDE'),text_desc(0xFF,'611NTPCA1234')],
  67,28,digital=0x80,features=0x1A)
# An older panel that gives a model year and no week.
files['acer_model_year.bin']=base('ACR',0x0063,0,0xFF,2011,0,
  [dtd(85500,1366,426,768,30,70,143,3,3,410,230),range_desc(56,76,31,80,9),text_desc(0xFC,'X193HQ'),dummy()],
  41,23,digital=0x80,features=0x0A)
# Three blocks: CTA-861 and DisplayID extensions (more than the switcher takes).
files['hp_two_extensions.bin']=base('HWP',0x3304,0x01010101,20,2020,2,
  [dtd(533250,3840,160,2160,62,48,32,3,5,597,336),range_desc(48,60,30,135,60),text_desc(0xFC,'HP Z27'),text_desc(0xFF,'CN40200XYZ')],
  60,34,digital=0xA5,features=0x3A)+cta()+displayid()
for name,data in files.items():
    open(name,'wb').write(data)
    print(name,len(data))
