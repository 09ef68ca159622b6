-- A handful of persons for the demonstration database made by the build.
-- @PROGRAM_FOLDER@ is the folder of the database file (the program folder), ending in "/".
INSERT INTO USERS (UserID, Name, DOB, Address, Tel, Email, Remark1, Remark2, Remark3, PHOTO) VALUES
  ('1001', 'Alice Moreau',  '1984-03-12', '14 Rue des Lilas, Lyon',  '+33 4 72 10 20 30', 'alice.moreau@example.com', 'Front desk',  'Badge 221', 'Morning shift', '@PROGRAM_FOLDER@photos/alice.jpg'),
  ('1002', 'Bruno Keller',  '1979-11-02', 'Seestrasse 8, Zurich',    '+41 44 555 01 02',  'bruno.keller@example.com', 'Warehouse',   'Badge 107', 'Forklift licence', '@PROGRAM_FOLDER@photos/bruno.jpg'),
  ('1003', 'Chen Wei',      '1991-06-25', '88 Nanjing Road, Shanghai','+86 21 5555 0188', 'chen.wei@example.com',     'Laboratory',  'Badge 315', '', '@PROGRAM_FOLDER@photos/chen.jpg'),
  ('1004', 'Dana O''Neil',  '1988-01-30', '5 Harbour Street, Cork',  '+353 21 555 0144',  'dana.oneil@example.com',   'Finance',     'Badge 402', 'Visitor escort', '@PROGRAM_FOLDER@photos/dana.jpg'),
  ('1005', 'Elena García',  '1995-09-17', 'Calle Mayor 21, Madrid',  '+34 91 555 0175',   'elena.garcia@example.com', 'Reception',   'Badge 118', '', '@PROGRAM_FOLDER@photos/elena.jpg'),
  ('1006', 'Lin Mei-Hua',   '1976-12-08', '12 Zhongshan Rd, Taipei', '+886 2 5555 0166',  'lin.meihua@example.com',   'Management',  'Badge 001', 'Key holder', '@PROGRAM_FOLDER@photos/lin.jpg'),
  ('2001', 'Samuel Okafor', '2000-04-04', '3 Marina Close, Lagos',   '+234 1 555 0120',   'samuel.okafor@example.com','IT support',  'Badge 530', '', '@PROGRAM_FOLDER@photos/samuel.jpg');
